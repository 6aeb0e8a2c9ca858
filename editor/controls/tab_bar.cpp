#include "editor/controls/tab_bar.h"

#include <QChildEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

// Classic three-dimensional control colours: face, highlight and shadow edge.
const QColor faceColor(0xC0, 0xC0, 0xC0);
const QColor highlightColor(0xFF, 0xFF, 0xFF);
const QColor darkColor(0x00, 0x00, 0x00);

QColor toQColor(TColor c)
{
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

QRect toQRect(const Rect& r)
{
    return QRect(r.left, r.top, std::max(0, r.width()), std::max(0, r.height()));
}

// A frame of the given width inside r (right and bottom exclusive): the top row and left
// column in topColor, the right column and bottom row in bottomColor, so that the
// bottom-left and top-right corner pixels belong to the bottom colour.
void drawFrame3D(QPainter& p, const Rect& r, const QColor& topColor, const QColor& bottomColor, int width)
{
    int left = r.left;
    int top = r.top;
    int right = r.right - 1;   // last column
    int bottom = r.bottom - 1; // last row
    for (int i = 0; i < width; ++i) {
        if (right < left || bottom < top)
            break;
        p.fillRect(left, top, right - left, 1, topColor);
        p.fillRect(left, top, 1, bottom - top, topColor);
        p.fillRect(right, top, 1, bottom - top + 1, bottomColor);
        p.fillRect(left, bottom, right - left + 1, 1, bottomColor);
        ++left;
        ++top;
        --right;
        --bottom;
    }
}

Qt::Alignment toQtAlignment(TAlignment a)
{
    switch (a) {
    case TAlignment::taRightJustify:
        return Qt::AlignRight;
    case TAlignment::taCenter:
        return Qt::AlignHCenter;
    case TAlignment::taLeftJustify:
        break;
    }
    return Qt::AlignLeft;
}

} // namespace

// ---------------------------------------------------------------------------------------
// TvelImageList

TvelImageList::TvelImageList(int width, int height, QObject* parent)
    : QObject(parent), width_(std::max(0, width)), height_(std::max(0, height))
{
}

int TvelImageList::add(const QPixmap& image)
{
    if (image.isNull() || image.width() != width_ || image.height() != height_)
        images_.push_back(image.isNull() || width_ == 0 || height_ == 0
                              ? QPixmap()
                              : image.scaled(width_, height_, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    else
        images_.push_back(image);
    emit changed();
    return int(images_.size()) - 1;
}

void TvelImageList::clear()
{
    images_.clear();
    emit changed();
}

QPixmap TvelImageList::image(int index) const
{
    if (index < 0 || index >= int(images_.size()))
        return QPixmap();
    return images_[std::size_t(index)];
}

// ---------------------------------------------------------------------------------------
// TvelTabSection

TvelTabSection::TvelTabSection(QWidget* parent) : QWidget(parent)
{
    setGeometry(10, 10, 10, 10);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(color_));
    setPalette(pal);
    if (auto* bar = qobject_cast<TvelTabBar*>(parent))
        bar->attachPage(this);
}

TvelTabSection::~TvelTabSection()
{
    if (bar_)
        bar_->detachPage(this);
}

bool TvelTabSection::event(QEvent* e)
{
    // Moving a page away from a bar is seen by the old bar as the removal of a child; moving
    // it into a bar is handled here, once the page is a child of the new parent.
    // The bar gets no leave event when the mouse moves on into one of its children.
    if (e->type() == QEvent::Enter && bar_)
        bar_->clearHotPage();
    if (e->type() == QEvent::ParentChange && !bar_) {
        if (auto* bar = qobject_cast<TvelTabBar*>(parentWidget()))
            bar->attachPage(this);
    }
    return QWidget::event(e);
}

void TvelTabSection::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::FontChange)
        repaintBar();
    QWidget::changeEvent(e);
}

void TvelTabSection::repaintBar()
{
    if (bar_)
        bar_->update();
}

void TvelTabSection::setCaption(const QString& caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    repaintBar();
}

void TvelTabSection::setBackBitmap(const QImage& image)
{
    backBitmap_ = image.copy();
    repaintBar();
}

void TvelTabSection::setColor(TColor color)
{
    if (color == color_)
        return;
    color_ = color;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(color_));
    setPalette(pal);
    update();
}

void TvelTabSection::setTabColor(TColor color)
{
    if (color == tabColor_)
        return;
    tabColor_ = color;
    repaintBar();
}

void TvelTabSection::setFontColor(TColor color)
{
    if (color == fontColor_)
        return;
    fontColor_ = color;
    repaintBar();
}

void TvelTabSection::setImageIndex(int index)
{
    if (index == imageIndex_)
        return;
    imageIndex_ = index;
    if (bar_ && bar_->images())
        bar_->update();
}

int TvelTabSection::tabIndex() const
{
    if (!bar_)
        return -1;
    const auto& pages = bar_->pages_;
    auto it = std::find(pages.begin(), pages.end(), this);
    return it == pages.end() ? -1 : int(it - pages.begin());
}

void TvelTabSection::setTabIndex(int index)
{
    if (!bar_ || index < 0 || index >= bar_->pageCount() || index == tabIndex())
        return;
    bar_->movePage(this, index);
}

// ---------------------------------------------------------------------------------------
// TvelTabBar

TvelTabBar::TvelTabBar(QWidget* parent) : QWidget(parent)
{
    setGeometry(10, 10, 130, 100);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    updateMargins();
}

TvelTabBar::~TvelTabBar()
{
    // The pages outlive this part of the object while QWidget deletes its children; they
    // must not call back into it.
    for (TvelTabSection* p : pages_)
        p->bar_ = nullptr;
    pages_.clear();
    children_.clear();
}

void TvelTabBar::setFrameWidth(int width)
{
    if (width < 0 || width > maxFrameWidth || width == frameWidth_)
        return;
    frameWidth_ = width;
    updateMargins();
    update();
}

void TvelTabBar::setTabHeight(int height)
{
    if (height < 0 || height > maxTabHeight || height == tabHeight_)
        return;
    tabHeight_ = height;
    updatePages();
    update();
}

void TvelTabBar::setAlignment(TAlignment alignment)
{
    alignment_ = alignment;
    update();
}

void TvelTabBar::setImages(TvelImageList* images)
{
    if (images_)
        disconnect(images_.data(), nullptr, this, nullptr);
    images_ = images;
    if (images) {
        connect(images, &TvelImageList::changed, this, qOverload<>(&QWidget::update));
        connect(images, &QObject::destroyed, this, qOverload<>(&QWidget::update));
    }
    update();
}

TvelTabSection* TvelTabBar::page(int index) const
{
    if (index < 0 || index >= int(pages_.size()))
        return nullptr;
    return pages_[std::size_t(index)];
}

TvelTabSection* TvelTabBar::activeSection() const
{
    for (auto it = pages_.rbegin(); it != pages_.rend(); ++it)
        if ((*it)->active_)
            return *it;
    return nullptr;
}

int TvelTabBar::activeIndex() const
{
    for (int i = int(pages_.size()) - 1; i >= 0; --i)
        if (pages_[std::size_t(i)]->active_)
            return i;
    return -1;
}

// While pages exist but none is active (after setActiveSection(nullptr), or when a page is
// removed and the first child is not a page), the layout counts the first page as the
// active one: its tab sits at the top, the others at the bottom, and the page rectangle
// lies between them. The tabs and the page rectangle then never overlap.
int TvelTabBar::layoutActiveIndex() const
{
    return std::max(0, activeIndex());
}

Rect TvelTabBar::tabRect(int tabIndex) const
{
    const int n = pageCount();
    if (tabIndex < 0 || tabIndex >= n)
        return {};
    const int active = layoutActiveIndex();
    Rect r;
    r.left = 2;
    r.right = width() - 2;
    if (active < tabIndex)
        r.top = height() - tabHeight_ * (n - tabIndex) - 1;
    else
        r.top = tabIndex * tabHeight_ + 1;
    r.bottom = r.top + tabHeight_ - 1;
    return r;
}

Rect TvelTabBar::pageRect() const
{
    const int n = pageCount();
    if (n == 0)
        return {};
    const int active = layoutActiveIndex();
    Rect r;
    r.left = 1;
    r.right = width() - 2;
    r.top = (active + 1) * tabHeight_;
    r.bottom = height() - std::max(0, n - active - 1) * tabHeight_ - 1;
    return r;
}

Rect TvelTabBar::alignClientRect() const
{
    return Rect{frameWidth_, frameWidth_ + 100, width() - frameWidth_, height() - frameWidth_ - 100};
}

void TvelTabBar::updateMargins()
{
    setContentsMargins(frameWidth_, frameWidth_ + 100, frameWidth_, frameWidth_ + 100);
}

TvelTabSection* TvelTabBar::pageAt(Point p) const
{
    for (int i = pageCount() - 1; i >= 0; --i)
        if (tabRect(i).contains(p))
            return pages_[std::size_t(i)];
    return nullptr;
}

void TvelTabBar::rebuildPages()
{
    pages_.clear();
    for (const Child& c : children_)
        if (c.page)
            pages_.push_back(c.page);
}

void TvelTabBar::updatePages()
{
    const QRect r = toQRect(pageRect());
    TvelTabSection* active = activeSection();
    for (TvelTabSection* p : pages_) {
        p->setGeometry(r);
        p->setVisible(p == active);
    }
}

void TvelTabBar::setActiveFlags(TvelTabSection* target)
{
    // The handlers may add, remove or delete pages; work on a guarded copy.
    std::vector<QPointer<TvelTabSection>> pages(pages_.begin(), pages_.end());
    for (auto it = pages.rbegin(); it != pages.rend(); ++it) {
        TvelTabSection* p = it->data();
        if (!p || p->bar_ != this)
            continue;
        const bool active = p == target;
        if (p->active_ == active)
            continue;
        p->active_ = active;
        auto handler = active ? p->onShow : p->onHide;
        if (handler)
            handler(*p);
    }
}

void TvelTabBar::changeActive(TvelTabSection* page)
{
    QPointer<TvelTabBar> self(this);
    QPointer<TvelTabSection> target(page);

    bool allowChange = true;
    if (onChanging) {
        auto handler = onChanging;
        handler(*this, allowChange);
        if (!self)
            return;
    }
    if (!allowChange)
        return;

    setActiveFlags(page);
    if (!self)
        return;

    if (target && target->bar_ == this) {
        if (target->active_ && activeSection() == target)
            target->raise();
        else
            target->lower();
    }
    updatePages();
    update();

    if (onChange) {
        auto handler = onChange;
        handler(*this);
    }
}

void TvelTabBar::setActiveSection(TvelTabSection* page)
{
    changeActive(page);
}

void TvelTabBar::attachPage(TvelTabSection* page)
{
    if (page->bar_ == this)
        return;
    auto it = std::find_if(children_.begin(), children_.end(), [&](const Child& c) { return c.widget == page; });
    if (it == children_.end())
        children_.push_back({page, page});
    else
        it->page = page;
    page->bar_ = this;
    rebuildPages();

    // A new page becomes the only active one, without onChanging or onChange.
    QPointer<TvelTabBar> self(this);
    setActiveFlags(page);
    if (!self)
        return;
    updatePages();
    update();
}

void TvelTabBar::detachPage(TvelTabSection* page)
{
    auto it = std::find_if(children_.begin(), children_.end(), [&](const Child& c) { return c.widget == page; });
    if (it != children_.end())
        children_.erase(it);
    page->bar_ = nullptr;
    if (hot_ == page)
        hot_ = nullptr;
    rebuildPages();

    // When the first remaining child is a page, it becomes the only active page.
    if (!children_.empty() && children_.front().page) {
        QPointer<TvelTabBar> self(this);
        setActiveFlags(children_.front().page);
        if (!self)
            return;
    }
    updatePages();
    update();
}

void TvelTabBar::movePage(TvelTabSection* page, int index)
{
    auto it = std::find_if(children_.begin(), children_.end(), [&](const Child& c) { return c.page == page; });
    if (it == children_.end())
        return;
    const Child moved = *it;
    children_.erase(it);
    rebuildPages();

    // Put the page before the page that now holds the wanted index, or after the last page.
    auto pos = children_.end();
    if (index < int(pages_.size())) {
        TvelTabSection* before = pages_[std::size_t(index)];
        pos = std::find_if(children_.begin(), children_.end(), [&](const Child& c) { return c.page == before; });
    } else if (!pages_.empty()) {
        TvelTabSection* after = pages_.back();
        pos = std::find_if(children_.begin(), children_.end(), [&](const Child& c) { return c.page == after; });
        ++pos;
    }
    children_.insert(pos, moved);
    rebuildPages();
    updatePages();
    update();
}

void TvelTabBar::childEvent(QChildEvent* e)
{
    QObject* child = e->child();
    if (e->type() == QEvent::ChildAdded && child->isWidgetType()) {
        // A page being constructed is not yet a TvelTabSection here; it attaches itself at
        // the end of its constructor. Until then it counts as an ordinary child.
        auto* w = static_cast<QWidget*>(child);
        auto found = std::find_if(children_.begin(), children_.end(), [&](const Child& c) { return c.widget == w; });
        if (found == children_.end())
            children_.push_back({w, nullptr});
    } else if (e->type() == QEvent::ChildRemoved) {
        // Only the pointer is compared: the child may be half destroyed already.
        auto found = std::find_if(children_.begin(), children_.end(), [&](const Child& c) { return c.widget == child; });
        if (found != children_.end()) {
            if (found->page)
                detachPage(found->page);
            else
                children_.erase(found);
        }
    }
    QWidget::childEvent(e);
}

void TvelTabBar::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    updatePages();
}

void TvelTabBar::paintEvent(QPaintEvent*)
{
    try {
        QPainter p(this);
        const Rect client{0, 0, width(), height()};
        // The background, which with no children at all is all there is to see.
        p.fillRect(toQRect(client), faceColor);
        drawFrame3D(p, client, darkColor, highlightColor, frameWidth_);

        const TvelImageList* images = images_.data();
        const int iconWidth = images ? images->width() : 0;
        for (int i = pageCount() - 1; i >= 0; --i) {
            const TvelTabSection* page = pages_[std::size_t(i)];
            const Rect r = tabRect(i);
            if (r.width() <= 0 || r.height() <= 0)
                continue;
            p.setFont(page->font());

            const QImage& back = page->backBitmap();
            if (back.width() > 0 && back.height() > 0) {
                for (int y = r.top; y < r.bottom - 1; y += back.height()) {
                    const int h = std::min(back.height(), r.bottom - 1 - y);
                    for (int x = r.left; x < r.right - 1; x += back.width()) {
                        const int w = std::min(back.width(), r.right - 1 - x);
                        p.drawImage(QPoint(x, y), back, QRect(0, 0, w, h));
                    }
                }
            } else {
                p.fillRect(toQRect(r), toQColor(page->tabColor()));
            }

            if (images && page->imageIndex() >= 0) {
                const QPixmap icon = images->image(page->imageIndex());
                if (!icon.isNull())
                    p.drawPixmap(r.left + 2, r.top + 2, icon);
            }

            const Rect text{r.left + 2 + iconWidth + 2, r.top + 1, r.right - 2, r.bottom - 1};
            if (text.width() > 0 && text.height() > 0 && !page->caption().isEmpty()) {
                const TColor color = page == hot_ ? page->highLightColor() : page->fontColor();
                p.setPen(toQColor(color));
                const QRect box = toQRect(text);
                const QString shown = QFontMetrics(p.font()).elidedText(page->caption(), Qt::ElideRight, box.width());
                p.setClipRect(box);
                p.drawText(box, int(toQtAlignment(alignment_) | Qt::AlignTop | Qt::TextSingleLine), shown);
                p.setClipping(false);
            }

            if (i == pressedTab_)
                drawFrame3D(p, r, darkColor, highlightColor, 1);
            else
                drawFrame3D(p, r, highlightColor, darkColor, 1);
        }
    } catch (...) {
        // Painting must never let an exception into Qt's event handling; the next paint
        // tries again.
    }
}

void TvelTabBar::mousePressEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    TvelTabSection* page = pageAt(Point{pos.x(), pos.y()});
    pressedTab_ = page ? page->tabIndex() : -1;

    const bool canFocus = isEnabled() && ((focusPolicy() & Qt::ClickFocus) || isWindow());
    if (canFocus) {
        setFocus(Qt::MouseFocusReason);
        if (!hasFocus() && window()->focusWidget() != this)
            return;
    }
    if (pressedTab_ != -1)
        update();
}

void TvelTabBar::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    TvelTabSection* page = pageAt(Point{pos.x(), pos.y()});
    if (page != hot_) {
        hot_ = page;
        update();
    }
}

void TvelTabBar::clearHotPage()
{
    hot_ = nullptr;
    update();
}

void TvelTabBar::leaveEvent(QEvent* e)
{
    clearHotPage();
    QWidget::leaveEvent(e);
}

void TvelTabBar::mouseReleaseEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    pressedTab_ = -1;
    // Always repaint, so that a sunken tab comes up again also when the button is released
    // off the tabs or the change is refused.
    update();
    TvelTabSection* page = pageAt(Point{pos.x(), pos.y()});
    if (page && page != activeSection())
        changeActive(page);
}

void TvelTabBar::keyPressEvent(QKeyEvent* e)
{
    if (e->key() != Qt::Key_Up && e->key() != Qt::Key_Down) {
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
    const int n = pageCount();
    if (n < 2)
        return;
    // With no active page the first page counts as the current one, as in the layout.
    const int current = layoutActiveIndex();
    int next;
    if (e->key() == Qt::Key_Up)
        next = current == 0 ? n - 1 : current - 1;
    else
        next = current == n - 1 ? 0 : current + 1;
    changeActive(pages_[std::size_t(next)]);
}
