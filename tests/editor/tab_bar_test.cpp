#include "editor/controls/tab_bar.h"
#include "tests/support/qt_application_environment.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

void testApp()
{
    ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
}

QRgb rgbOf(TColor c) { return qRgb(redOf(c), greenOf(c), blueOf(c)); }

// A bar 130 by 270 with the pages "Frames", "Files" and "Extra".
class TabBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testApp();
        bar = std::make_unique<TvelTabBar>();
        bar->resize(130, 270);
        for (const char* caption : {"Frames", "Files", "Extra"}) {
            auto* page = new TvelTabSection(bar.get());
            page->setCaption(caption);
            page->setObjectName(caption);
        }
    }

    TvelTabSection* page(int i) const { return bar->page(i); }

    std::vector<std::string> order() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < bar->pageCount(); ++i)
            names.push_back(bar->page(i)->caption().toStdString());
        return names;
    }

    // Records every event of the bar and its pages into log.
    void recordEvents()
    {
        bar->onChanging = [this](TvelTabBar&, bool&) { log.push_back("changing"); };
        bar->onChange = [this](TvelTabBar&) { log.push_back("change"); };
        for (int i = 0; i < bar->pageCount(); ++i) {
            page(i)->onShow = [this](TvelTabSection& s) { log.push_back("show " + s.caption().toStdString()); };
            page(i)->onHide = [this](TvelTabSection& s) { log.push_back("hide " + s.caption().toStdString()); };
        }
    }

    QImage render() const { return bar->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    std::unique_ptr<TvelTabBar> bar;
    std::vector<std::string> log;
};

TEST_F(TabBarTest, Defaults)
{
    TvelTabBar fresh;
    EXPECT_EQ(fresh.frameWidth(), 1);
    EXPECT_EQ(fresh.tabHeight(), 20);
    EXPECT_EQ(fresh.alignment(), TAlignment::taLeftJustify);
    EXPECT_EQ(fresh.images(), nullptr);
    EXPECT_EQ(fresh.pressedTab(), -1);
    EXPECT_EQ(fresh.hotPage(), nullptr);
    EXPECT_EQ(fresh.activeSection(), nullptr);
    EXPECT_EQ(fresh.geometry(), QRect(10, 10, 130, 100));
    EXPECT_EQ(fresh.focusPolicy(), Qt::StrongFocus);

    TvelTabSection s;
    EXPECT_EQ(s.tabColor(), clSilver);
    EXPECT_EQ(s.highLightColor(), clBlue);
    EXPECT_EQ(s.imageIndex(), -1);
    EXPECT_EQ(s.tabIndex(), -1);
    EXPECT_FALSE(s.isActive());
    EXPECT_TRUE(s.backBitmap().isNull());
}

TEST_F(TabBarTest, TabAndPageRectanglesFollowTheActivePage)
{
    bar->setActiveSection(page(1));
    EXPECT_EQ(bar->tabRect(0), makeRect(2, 1, 128, 20));
    EXPECT_EQ(bar->tabRect(1), makeRect(2, 21, 128, 40));
    EXPECT_EQ(bar->tabRect(2), makeRect(2, 249, 128, 268));
    EXPECT_EQ(bar->pageRect(), makeRect(1, 40, 128, 249));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(page(i)->geometry(), QRect(1, 40, 127, 209)) << i;
    EXPECT_TRUE(bar->tabRect(3).isEmpty());
    EXPECT_TRUE(bar->tabRect(-1).isEmpty());

    bar->setActiveSection(page(0));
    EXPECT_EQ(bar->tabRect(0).top, 1);
    EXPECT_EQ(bar->tabRect(1).top, 270 - 2 * 20 - 1);
    EXPECT_EQ(bar->tabRect(2).top, 270 - 20 - 1);
    EXPECT_EQ(bar->pageRect(), makeRect(1, 20, 128, 229));

    bar->setActiveSection(page(2));
    EXPECT_EQ(bar->tabRect(2), makeRect(2, 41, 128, 60));
    EXPECT_EQ(bar->pageRect(), makeRect(1, 60, 128, 269));

    bar->show();
    bar->resize(200, 300);
    EXPECT_EQ(bar->pageRect(), makeRect(1, 60, 198, 299));
    EXPECT_EQ(page(2)->geometry(), QRect(1, 60, 197, 239));
}

TEST_F(TabBarTest, OnlyTheActivePageIsShownAndInFront)
{
    bar->show();
    bar->setActiveSection(page(1));
    EXPECT_FALSE(page(0)->isVisible());
    EXPECT_TRUE(page(1)->isVisible());
    EXPECT_FALSE(page(2)->isVisible());
    EXPECT_EQ(bar->children().last(), page(1)); // raised last
    EXPECT_EQ(bar->childAt(60, 100), page(1));
}

TEST_F(TabBarTest, WithoutAnActivePageTheFirstPageCountsAsActive)
{
    bar->setActiveSection(nullptr);
    EXPECT_EQ(bar->activeSection(), nullptr);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(page(i)->isActive());
    EXPECT_EQ(bar->tabRect(0).top, 1);
    EXPECT_EQ(bar->tabRect(1).top, 229);
    EXPECT_EQ(bar->tabRect(2).top, 249);
    EXPECT_EQ(bar->pageRect(), makeRect(1, 20, 128, 229));
    bar->show();
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(page(i)->isVisible());

    // Down goes on from the first page, Up wraps from it.
    QTest::keyClick(bar.get(), Qt::Key_Down);
    EXPECT_EQ(bar->activeSection(), page(1));
    bar->setActiveSection(nullptr);
    QTest::keyClick(bar.get(), Qt::Key_Up);
    EXPECT_EQ(bar->activeSection(), page(2));
}

TEST_F(TabBarTest, FrameWidthAndTabHeightRefuseValuesOutOfRange)
{
    bar->setTabHeight(60);
    EXPECT_EQ(bar->tabHeight(), 20);
    bar->setTabHeight(-1);
    EXPECT_EQ(bar->tabHeight(), 20);
    bar->setTabHeight(50);
    EXPECT_EQ(bar->tabHeight(), 50);
    bar->setActiveSection(page(1));
    EXPECT_EQ(page(1)->geometry().top(), 100);

    bar->setFrameWidth(11);
    EXPECT_EQ(bar->frameWidth(), 1);
    bar->setFrameWidth(10);
    EXPECT_EQ(bar->frameWidth(), 10);
    EXPECT_EQ(bar->alignClientRect(), makeRect(10, 110, 120, 160));
    EXPECT_EQ(bar->contentsRect(), QRect(10, 110, 110, 50));
}

TEST_F(TabBarTest, ArrowKeysSwitchPagesWithWrapping)
{
    struct Case {
        int start;
        Qt::Key key;
        int expected;
    };
    const Case cases[] = {
        {0, Qt::Key_Up, 2}, {1, Qt::Key_Up, 0}, {2, Qt::Key_Up, 1},
        {0, Qt::Key_Down, 1}, {1, Qt::Key_Down, 2}, {2, Qt::Key_Down, 0},
    };
    for (const auto& c : cases) {
        bar->setActiveSection(page(c.start));
        QTest::keyClick(bar.get(), c.key);
        EXPECT_EQ(bar->activeSection(), page(c.expected)) << c.start << " " << c.key;
    }
}

TEST_F(TabBarTest, WithFewerThanTwoPagesKeysChangeNothing)
{
    delete page(2);
    delete page(1);
    ASSERT_EQ(bar->pageCount(), 1);
    recordEvents();
    QTest::keyClick(bar.get(), Qt::Key_Up);
    QTest::keyClick(bar.get(), Qt::Key_Down);
    EXPECT_EQ(bar->activeSection(), page(0));
    EXPECT_TRUE(log.empty());

    delete page(0);
    QTest::keyClick(bar.get(), Qt::Key_Down);
    EXPECT_EQ(bar->activeSection(), nullptr);
}

TEST_F(TabBarTest, ChangeRunsChangingThenHideAndShowFromLastPageThenChange)
{
    bar->setActiveSection(page(0));
    recordEvents();
    bar->setActiveSection(page(2));
    EXPECT_EQ(log, (std::vector<std::string>{"changing", "show Extra", "hide Frames", "change"}));

    log.clear();
    bar->setActiveSection(page(1));
    EXPECT_EQ(log, (std::vector<std::string>{"changing", "hide Extra", "show Files", "change"}));

    // Activating the active page again shows and hides nothing.
    log.clear();
    bar->setActiveSection(page(1));
    EXPECT_EQ(log, (std::vector<std::string>{"changing", "change"}));
}

TEST_F(TabBarTest, RefusedChangeKeepsThePage)
{
    bar->setActiveSection(page(0));
    recordEvents();
    bar->onChanging = [this](TvelTabBar&, bool& allowChange) {
        log.push_back("changing");
        allowChange = false;
    };
    bar->setActiveSection(page(2));
    QTest::keyClick(bar.get(), Qt::Key_Down);
    QTest::mouseClick(bar.get(), Qt::LeftButton, {}, QPoint(60, 255));
    EXPECT_EQ(bar->activeSection(), page(0));
    EXPECT_TRUE(page(0)->isActive());
    EXPECT_EQ(log, (std::vector<std::string>{"changing", "changing", "changing"}));
}

TEST_F(TabBarTest, ClickOnATabActivatesItsPage)
{
    bar->setActiveSection(page(0));
    bar->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(bar.get()));
    recordEvents();

    // "Extra" sits at the bottom: 249..267.
    QTest::mousePress(bar.get(), Qt::LeftButton, {}, QPoint(60, 255));
    EXPECT_EQ(bar->pressedTab(), 2);
    EXPECT_EQ(bar->activeSection(), page(0)); // activation waits for the release
    QTest::mouseRelease(bar.get(), Qt::LeftButton, {}, QPoint(60, 255));
    EXPECT_EQ(bar->pressedTab(), -1);
    EXPECT_EQ(bar->activeSection(), page(2));
    EXPECT_EQ(log, (std::vector<std::string>{"changing", "show Extra", "hide Frames", "change"}));

    // Now every tab sits at the top, "Extra" at 41..59. A click on the active tab changes nothing.
    log.clear();
    QTest::mouseClick(bar.get(), Qt::LeftButton, {}, QPoint(10, 45));
    EXPECT_TRUE(log.empty());
    QTest::mouseClick(bar.get(), Qt::LeftButton, {}, QPoint(10, 30));
    EXPECT_EQ(bar->activeSection(), page(1));

    // Pressing off the tabs presses none; the tab under the release point is the one clicked.
    QTest::mousePress(bar.get(), Qt::LeftButton, {}, QPoint(1, 100));
    EXPECT_EQ(bar->pressedTab(), -1);
    QTest::mouseRelease(bar.get(), Qt::LeftButton, {}, QPoint(60, 10));
    EXPECT_EQ(bar->activeSection(), page(0));
}

TEST_F(TabBarTest, HotTrackingFollowsTheMouse)
{
    bar->setActiveSection(page(0));
    bar->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(bar.get()));

    QTest::mouseMove(bar.get(), QPoint(0, 100));
    QTest::mouseMove(bar.get(), QPoint(60, 10));
    EXPECT_EQ(bar->hotPage(), page(0));
    QTest::mouseMove(bar.get(), QPoint(60, 250));
    EXPECT_EQ(bar->hotPage(), page(2));
    QTest::mouseMove(bar.get(), QPoint(0, 100)); // the frame, no tab
    EXPECT_EQ(bar->hotPage(), nullptr);
    QTest::mouseMove(bar.get(), QPoint(60, 235));
    EXPECT_EQ(bar->hotPage(), page(1));
    QTest::mouseMove(bar.get(), QPoint(60, 100)); // on into the page
    EXPECT_EQ(bar->hotPage(), nullptr);
    QTest::mouseMove(bar.get(), QPoint(60, 10));
    EXPECT_EQ(bar->hotPage(), page(0));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(bar.get(), &leave);
    EXPECT_EQ(bar->hotPage(), nullptr);
}

TEST_F(TabBarTest, InsertedPageBecomesTheOnlyActiveOne)
{
    bar->setActiveSection(page(1));
    recordEvents();
    auto* added = new TvelTabSection(bar.get());
    EXPECT_EQ(bar->pageCount(), 4);
    EXPECT_EQ(added->tabIndex(), 3);
    EXPECT_EQ(bar->activeSection(), added);
    EXPECT_FALSE(page(1)->isActive());
    EXPECT_EQ(log, (std::vector<std::string>{"hide Files"})); // no changing, no change
}

TEST_F(TabBarTest, RemovingAPageActivatesTheFirstChildWhenItIsAPage)
{
    bar->setActiveSection(page(2));
    recordEvents();
    TvelTabSection* first = page(0);
    TvelTabSection* last = page(2);
    delete page(1);
    EXPECT_EQ(bar->pageCount(), 2);
    EXPECT_EQ(bar->activeSection(), first);
    EXPECT_EQ(last->tabIndex(), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"hide Extra", "show Frames"}));

    // Taking a page out of the bar counts as removal; putting it back as insertion.
    last->setParent(nullptr);
    EXPECT_EQ(bar->pageCount(), 1);
    EXPECT_EQ(last->tabIndex(), -1);
    last->setParent(bar.get());
    EXPECT_EQ(bar->pageCount(), 2);
    EXPECT_EQ(last->tabIndex(), 1);
    EXPECT_EQ(bar->activeSection(), last);

    delete first;
    delete last;
    EXPECT_EQ(bar->pageCount(), 0);
    EXPECT_EQ(bar->activeSection(), nullptr);
    EXPECT_TRUE(bar->pageRect().isEmpty());
}

TEST_F(TabBarTest, RemovingAPageChangesNothingWhenTheFirstChildIsNotAPage)
{
    TvelTabBar other;
    other.resize(130, 270);
    auto* plain = new QWidget(&other);
    auto* a = new TvelTabSection(&other);
    auto* b = new TvelTabSection(&other);
    EXPECT_EQ(other.pageCount(), 2);
    EXPECT_EQ(a->tabIndex(), 0);
    EXPECT_EQ(other.activeSection(), b);
    delete b;
    EXPECT_EQ(other.activeSection(), nullptr);
    EXPECT_FALSE(a->isActive());
    delete plain;
    EXPECT_EQ(other.pageCount(), 1);
}

TEST_F(TabBarTest, TabIndexReordersThePages)
{
    bar->setActiveSection(page(1)); // "Files"
    TvelTabSection* extra = page(2);
    extra->setTabIndex(0);
    EXPECT_EQ(order(), (std::vector<std::string>{"Extra", "Frames", "Files"}));
    EXPECT_EQ(extra->tabIndex(), 0);
    // "Files" is now the last tab: the page reaches down to the bottom.
    EXPECT_EQ(bar->pageRect(), makeRect(1, 60, 128, 269));
    EXPECT_EQ(bar->page(2)->geometry(), QRect(1, 60, 127, 209));

    bar->page(1)->setTabIndex(2);
    EXPECT_EQ(order(), (std::vector<std::string>{"Extra", "Files", "Frames"}));
    bar->page(0)->setTabIndex(1);
    EXPECT_EQ(order(), (std::vector<std::string>{"Files", "Extra", "Frames"}));

    for (int bad : {3, -1, 100})
        bar->page(0)->setTabIndex(bad);
    EXPECT_EQ(order(), (std::vector<std::string>{"Files", "Extra", "Frames"}));

    TvelTabSection loose;
    loose.setTabIndex(0);
    EXPECT_EQ(loose.tabIndex(), -1);
    EXPECT_EQ(bar->pageCount(), 3);

    // Keys follow the tab order, not the creation order.
    bar->setActiveSection(bar->page(0));
    QTest::keyClick(bar.get(), Qt::Key_Down);
    EXPECT_EQ(bar->activeSection()->caption(), "Extra");
}

TEST_F(TabBarTest, ForgetsImageListWhenItIsDestroyed)
{
    auto images = std::make_unique<TvelImageList>(16, 16);
    bar->setImages(images.get());
    EXPECT_EQ(bar->images(), images.get());
    images.reset();
    EXPECT_EQ(bar->images(), nullptr);
    render(); // painting after the loss must not touch the list
}

// ------------------------------------------------------------------ painting

TEST_F(TabBarTest, PaintsFrameTabsAndPressedTab)
{
    bar->setFrameWidth(2);
    for (int i = 0; i < 3; ++i)
        page(i)->setCaption(QString());
    page(0)->setTabColor(clRed);
    page(1)->setTabColor(clLime);
    page(2)->setTabColor(clYellow);
    bar->setActiveSection(page(1));
    page(1)->setColor(clAqua);

    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    QImage img = render();
    ASSERT_EQ(img.size(), QSize(130, 270));

    // Sunken frame of width 2: top-left black, bottom-right white, corners to the bottom-right colour.
    EXPECT_EQ(img.pixel(0, 0), black);
    EXPECT_EQ(img.pixel(0, 100), black);
    EXPECT_EQ(img.pixel(60, 0), black);
    EXPECT_EQ(img.pixel(129, 0), white);
    EXPECT_EQ(img.pixel(0, 269), white);
    EXPECT_EQ(img.pixel(129, 100), white);
    EXPECT_EQ(img.pixel(128, 10), white);
    EXPECT_EQ(img.pixel(60, 269), white);
    EXPECT_EQ(img.pixel(60, 268), white);
    EXPECT_EQ(img.pixel(1, 10), black);

    // Tabs: fill colour, raised one-pixel frame (tab 0 covers rows 1..19, columns 2..127).
    EXPECT_EQ(img.pixel(60, 10), rgbOf(clRed));
    EXPECT_EQ(img.pixel(60, 30), rgbOf(clLime));
    EXPECT_EQ(img.pixel(60, 258), rgbOf(clYellow));
    EXPECT_EQ(img.pixel(2, 10), white);
    EXPECT_EQ(img.pixel(60, 1), white);
    EXPECT_EQ(img.pixel(127, 10), black);
    EXPECT_EQ(img.pixel(60, 19), black);
    EXPECT_EQ(img.pixel(2, 19), black);
    // The active page lies between the tabs.
    EXPECT_EQ(img.pixel(60, 40), rgbOf(clAqua));
    EXPECT_EQ(img.pixel(60, 248), rgbOf(clAqua));

    bar->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(bar.get()));
    QTest::mousePress(bar.get(), Qt::LeftButton, {}, QPoint(60, 10));
    ASSERT_EQ(bar->pressedTab(), 0);
    img = render();
    EXPECT_EQ(img.pixel(2, 10), black);
    EXPECT_EQ(img.pixel(60, 1), black);
    EXPECT_EQ(img.pixel(127, 10), white);
    EXPECT_EQ(img.pixel(60, 19), white);
    EXPECT_EQ(img.pixel(2, 30), white); // the other tabs stay raised
    QTest::mouseRelease(bar.get(), Qt::LeftButton, {}, QPoint(60, 10));
    img = render();
    EXPECT_EQ(img.pixel(2, 10), white);
}

TEST_F(TabBarTest, PaintsBarWithoutChildrenAsFace)
{
    TvelTabBar empty;
    empty.resize(50, 60);
    const QImage img = empty.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(img.pixel(25, 30), qRgb(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(49, 59), qRgb(255, 255, 255));
}

TEST_F(TabBarTest, TilesBackBitmapInsideTheTabFrame)
{
    // Every tile pixel has its own colour, so the tile origin can be read back.
    QImage tile(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            tile.setPixel(x, y, qRgb(x * 30, y * 30, 100));
    bar->setActiveSection(page(1)); // tab 1: rows 21..39, columns 2..127
    page(1)->setCaption(QString());
    page(1)->setBackBitmap(tile);
    tile.fill(Qt::black); // the page keeps its own copy

    const QImage img = render();
    const auto expected = [](int x, int y) { return qRgb(((x - 2) % 8) * 30, ((y - 21) % 8) * 30, 100); };
    for (const QPoint& p : {QPoint(3, 22), QPoint(10, 29), QPoint(61, 33), QPoint(126, 38), QPoint(125, 37)})
        EXPECT_EQ(img.pixel(p), expected(p.x(), p.y())) << p.x() << "," << p.y();
    // The frame covers the last row and column.
    EXPECT_EQ(img.pixel(60, 39), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(127, 30), qRgb(0, 0, 0));
}

// Pixels of the given colour inside the tab's frame, as their columns.
std::vector<int> columnsOf(const QImage& img, const Rect& tab, QRgb color)
{
    std::vector<int> xs;
    for (int y = tab.top + 1; y < tab.bottom - 1; ++y)
        for (int x = tab.left + 1; x < tab.right - 1; ++x)
            if (img.pixel(x, y) == color)
                xs.push_back(x);
    return xs;
}

TEST_F(TabBarTest, CaptionIconHighlightAndAlignment)
{
    QFont font = page(0)->font();
    font.setStyleStrategy(QFont::NoAntialias);
    font.setPixelSize(12);
    page(0)->setFont(font);
    page(0)->setCaption("WWW");
    page(0)->setFontColor(clBlack);
    page(0)->setTabColor(clWhite);
    bar->setActiveSection(page(1));

    TvelImageList images(16, 16);
    QPixmap red(16, 16);
    red.fill(Qt::red);
    images.add(red);
    bar->setImages(&images);
    page(0)->setImageIndex(0);

    const Rect tab = bar->tabRect(0);
    QImage img = render();
    EXPECT_EQ(img.pixel(tab.left + 2, tab.top + 2), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(tab.left + 17, tab.top + 17), qRgb(255, 0, 0));
    EXPECT_NE(img.pixel(tab.left + 18, tab.top + 10), qRgb(255, 0, 0));
    // The caption starts right of the icon: left + 2 + 16 + 2.
    std::vector<int> text = columnsOf(img, tab, qRgb(0, 0, 0));
    ASSERT_FALSE(text.empty());
    EXPECT_GE(*std::min_element(text.begin(), text.end()), tab.left + 20);
    EXPECT_LT(*std::max_element(text.begin(), text.end()), 70);
    EXPECT_TRUE(columnsOf(img, tab, rgbOf(clBlue)).empty());

    bar->setAlignment(TAlignment::taRightJustify);
    img = render();
    text = columnsOf(img, tab, qRgb(0, 0, 0));
    ASSERT_FALSE(text.empty());
    EXPECT_GT(*std::min_element(text.begin(), text.end()), 70);
    EXPECT_LT(*std::max_element(text.begin(), text.end()), tab.right - 2);

    // Hot tab: the caption takes the highlight colour.
    bar->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(bar.get()));
    QTest::mouseMove(bar.get(), QPoint(0, 100)); // a move to where the mouse already is counts for nothing
    QTest::mouseMove(bar.get(), QPoint(60, 10));
    ASSERT_EQ(bar->hotPage(), page(0));
    img = render();
    EXPECT_FALSE(columnsOf(img, tab, rgbOf(clBlue)).empty());
    EXPECT_TRUE(columnsOf(img, tab, qRgb(0, 0, 0)).empty());

    // A long caption is cut to the tab.
    page(0)->setCaption(QString(200, QChar('W')));
    img = render();
    text = columnsOf(img, tab, rgbOf(clBlue));
    ASSERT_FALSE(text.empty());
    EXPECT_LT(*std::max_element(text.begin(), text.end()), tab.right - 2);
}

} // namespace
