#pragma once
// TGIFItem, one block of a GIF file, and TGIFList, an owning ordered list of items.

#include "gif/gif_types.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class Stream;
class TGIFImage;

class TGIFItem : public TGIFObject {
public:
    explicit TGIFItem(TGIFImage* image) : image_(image) {}
    ~TGIFItem() override = default;
    TGIFItem(const TGIFItem&) = delete;
    TGIFItem& operator=(const TGIFItem&) = delete;

    virtual TGIFFormatVersion RequiredVersion() const { return fv87a; }
    // Passes the warning to the owning image with this item as sender.
    virtual void Warning(int severity, const std::string& message) const;
    virtual void SaveToStream(Stream& stream) const = 0;
    virtual void LoadFromStream(Stream& stream) = 0;
    // Writes the item alone to a file (replacing it) or reads it from one.
    virtual void SaveToFile(const std::filesystem::path& path) const;
    virtual void LoadFromFile(const std::filesystem::path& path);

    TGIFImage* Image() const { return image_; }

private:
    TGIFImage* image_;
};

class TGIFList : public TGIFObject {
public:
    explicit TGIFList(TGIFImage* image) : image_(image) {}
    ~TGIFList() override;
    TGIFList(const TGIFList&) = delete;
    TGIFList& operator=(const TGIFList&) = delete;

    virtual void Warning(int severity, const std::string& message) const;
    // Writes every item in list order.
    virtual void SaveToStream(Stream& stream) const;

    // Throws ERangeError "List index out of bounds (n)" outside 0..Count-1.
    TGIFItem& Items(int index) const;
    int Count() const { return int(items_.size()); }
    bool IsEmpty() const { return items_.empty(); }
    // Takes ownership; returns the index.
    int Add(std::unique_ptr<TGIFItem> item);
    void Insert(int index, std::unique_ptr<TGIFItem> item);
    // Removes the item at index and frees it.
    void Delete(int index);
    // Removes the item without freeing it; ownership passes to the caller (null if absent).
    std::unique_ptr<TGIFItem> Remove(const TGIFItem* item);
    void Move(int from, int to);
    int IndexOf(const TGIFItem* item) const;
    // Frees every item, first to last.
    void Clear();

    TGIFImage* Image() const { return image_; }

protected:
    void checkIndex(int index) const;

private:
    TGIFImage* image_;
    std::vector<std::unique_ptr<TGIFItem>> items_;
};
