#include "gif/gif_item.h"

#include "gif/gif_image.h"
#include "platform/stream.h"

#include <algorithm>

void TGIFItem::Warning(int severity, const std::string& message) const
{
    if (image_)
        image_->Warning(this, severity, message);
}

void TGIFItem::SaveToFile(const std::filesystem::path& path) const
{
    FileStream stream(path, FileStream::Mode::Write);
    SaveToStream(stream);
    stream.commit();
}

void TGIFItem::LoadFromFile(const std::filesystem::path& path)
{
    FileStream stream(path, FileStream::Mode::Read);
    LoadFromStream(stream);
}

TGIFList::~TGIFList()
{
    Clear();
}

void TGIFList::Warning(int severity, const std::string& message) const
{
    if (image_)
        image_->Warning(this, severity, message);
}

void TGIFList::SaveToStream(Stream& stream) const
{
    for (const auto& item : items_)
        item->SaveToStream(stream);
}

void TGIFList::checkIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw ERangeError("List index out of bounds (" + std::to_string(index) + ")");
}

TGIFItem& TGIFList::Items(int index) const
{
    checkIndex(index);
    return *items_[std::size_t(index)];
}

int TGIFList::Add(std::unique_ptr<TGIFItem> item)
{
    items_.push_back(std::move(item));
    return Count() - 1;
}

void TGIFList::Insert(int index, std::unique_ptr<TGIFItem> item)
{
    if (index < 0 || index > Count())
        throw ERangeError("List index out of bounds (" + std::to_string(index) + ")");
    items_.insert(items_.begin() + index, std::move(item));
}

void TGIFList::Delete(int index)
{
    checkIndex(index);
    // The item leaves the list before it is destroyed.
    std::unique_ptr<TGIFItem> item = std::move(items_[std::size_t(index)]);
    items_.erase(items_.begin() + index);
    item.reset();
}

std::unique_ptr<TGIFItem> TGIFList::Remove(const TGIFItem* item)
{
    const int index = IndexOf(item);
    if (index < 0)
        return nullptr;
    std::unique_ptr<TGIFItem> owned = std::move(items_[std::size_t(index)]);
    items_.erase(items_.begin() + index);
    return owned;
}

void TGIFList::Move(int from, int to)
{
    checkIndex(from);
    checkIndex(to);
    std::unique_ptr<TGIFItem> item = std::move(items_[std::size_t(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(item));
}

int TGIFList::IndexOf(const TGIFItem* item) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == item)
            return int(i);
    return -1;
}

void TGIFList::Clear()
{
    // Every item has left the list when it is destroyed, first to last.
    std::vector<std::unique_ptr<TGIFItem>> items;
    items.swap(items_);
    for (auto& item : items)
        item.reset();
}
