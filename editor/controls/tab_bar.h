#pragma once
// A vertical bar of stacked pages. Every page has a tab as wide as the bar; the tabs of the
// pages up to the active one sit at the top, the tabs of the pages after it at the bottom,
// and the active page fills the space between. A click on a tab or the Up/Down keys switch
// pages.
//
// Pages are TvelTabSection children of the bar. Their order (the tab order) is the order in
// which they became children of the bar, changed only through TvelTabSection::setTabIndex;
// Qt's own child list is not used for it because raising and lowering reorder it.
//
// Only the active page is shown; the other pages are hidden so that neither the mouse nor
// the keyboard focus reaches widgets of a page that is out of sight.

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

#include "platform/color.h"
#include "platform/geometry.h"

class TvelTabBar;

// Icons for the tabs: images of one size, addressed by index. The bar does not own its image
// list; when the list is destroyed, the bar forgets it.
class TvelImageList : public QObject {
    Q_OBJECT
public:
    TvelImageList(int width, int height, QObject* parent = nullptr);

    int width() const { return width_; }
    int height() const { return height_; }
    int count() const { return int(images_.size()); }

    // Adds a picture (scaled to the list's size if it differs); returns its index.
    int add(const QPixmap& image);
    void clear();
    // The picture at index, or a null pixmap when the index is out of range.
    QPixmap image(int index) const;

signals:
    void changed();

private:
    int width_;
    int height_;
    std::vector<QPixmap> images_;
};

// Alignment of the tab captions.
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// One page of a TvelTabBar. Its content is ordinary child widgets (or a layout set on it).
class TvelTabSection : public QWidget {
    Q_OBJECT
public:
    explicit TvelTabSection(QWidget* parent = nullptr);
    ~TvelTabSection() override;

    // The bar this page belongs to, or null.
    TvelTabBar* tabBar() const { return bar_; }

    const QString& caption() const { return caption_; }
    void setCaption(const QString& caption);

    // Picture tiled over the tab (a copy of the given image); a null image means none.
    const QImage& backBitmap() const { return backBitmap_; }
    void setBackBitmap(const QImage& image);

    // Background of the page.
    TColor color() const { return color_; }
    void setColor(TColor color);

    TColor tabColor() const { return tabColor_; }
    void setTabColor(TColor color);

    // Caption colour while the mouse is over the tab; used from the next paint on.
    TColor highLightColor() const { return highLightColor_; }
    void setHighLightColor(TColor color) { highLightColor_ = color; }

    // Caption colour otherwise (the colour of the page's font).
    TColor fontColor() const { return fontColor_; }
    void setFontColor(TColor color);

    // Icon of the tab in the bar's image list; -1 for none.
    int imageIndex() const { return imageIndex_; }
    void setImageIndex(int index);

    // Position among the bar's pages (-1 when the page is not in a bar). Setting a value
    // from 0 to (number of pages - 1) moves the page there; other values are ignored.
    int tabIndex() const;
    void setTabIndex(int index);

    bool isActive() const { return active_; }

    std::function<void(TvelTabSection& sender)> onShow;
    std::function<void(TvelTabSection& sender)> onHide;

protected:
    bool event(QEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    friend class TvelTabBar;
    void repaintBar();

    TvelTabBar* bar_ = nullptr;  // set while the page is one of bar_'s pages
    QString caption_;
    QImage backBitmap_;
    TColor color_ = clSilver;
    TColor tabColor_ = clSilver;
    TColor highLightColor_ = clBlue;
    TColor fontColor_ = clBlack;
    int imageIndex_ = -1;
    bool active_ = false;
};

class TvelTabBar : public QWidget {
    Q_OBJECT
public:
    explicit TvelTabBar(QWidget* parent = nullptr);
    ~TvelTabBar() override;

    static constexpr int maxFrameWidth = 10;
    static constexpr int maxTabHeight = 50;

    int frameWidth() const { return frameWidth_; }
    // Values outside 0..10 are ignored.
    void setFrameWidth(int width);

    int tabHeight() const { return tabHeight_; }
    // Values outside 0..50 are ignored.
    void setTabHeight(int height);

    TAlignment alignment() const { return alignment_; }
    void setAlignment(TAlignment alignment);

    TvelImageList* images() const { return images_.data(); }
    void setImages(TvelImageList* images);

    // The active page (the last page in tab order whose active flag is set), or null.
    TvelTabSection* activeSection() const;
    // Runs the change procedure: onChanging may refuse; onHide/onShow of the pages whose
    // state changes; onChange.
    void setActiveSection(TvelTabSection* page);

    // Pages in tab order.
    int pageCount() const { return int(pages_.size()); }
    TvelTabSection* page(int index) const;

    // Tab rectangle of the page with the given tab index (empty for an index out of range).
    Rect tabRect(int tabIndex) const;
    // The rectangle every page is given (empty when there are no pages).
    Rect pageRect() const;
    // Space for other children: the client area less the frame and 100 pixels at the top
    // and at the bottom. It is also the bar's contents rectangle, so a layout set on the
    // bar places its widgets there.
    Rect alignClientRect() const;

    // Tab index under the mouse while a button is down, -1 for none.
    int pressedTab() const { return pressedTab_; }
    // Page whose tab is under the mouse, or null.
    TvelTabSection* hotPage() const { return hot_.data(); }

    std::function<void(TvelTabBar& sender)> onChange;
    std::function<void(TvelTabBar& sender, bool& allowChange)> onChanging;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void childEvent(QChildEvent* e) override;

private:
    friend class TvelTabSection;

    struct Child {
        QWidget* widget;        // a child widget of the bar, in child order
        TvelTabSection* page;   // the same object when it is one of the pages, else null
    };

    void attachPage(TvelTabSection* page);
    void detachPage(TvelTabSection* page);
    void movePage(TvelTabSection* page, int index);
    void rebuildPages();
    // Sets the active flag of every page to (page == target), last page first, with
    // onShow/onHide for the pages whose flag changes.
    void setActiveFlags(TvelTabSection* target);
    void updatePages();
    int activeIndex() const;
    int layoutActiveIndex() const;
    // The last page in tab order whose tab contains the point, or null.
    TvelTabSection* pageAt(Point p) const;
    void changeActive(TvelTabSection* page);
    void clearHotPage();
    void updateMargins();

    std::vector<Child> children_;
    std::vector<TvelTabSection*> pages_;  // the pages of children_, in the same order
    int frameWidth_ = 1;
    int tabHeight_ = 20;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    QPointer<TvelImageList> images_;
    int pressedTab_ = -1;
    QPointer<TvelTabSection> hot_;
};
