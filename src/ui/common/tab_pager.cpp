#include "ui/common/tab_pager.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>

TabPager::TabPager(QTabWidget& tabs) : QObject(&tabs), tabs_(tabs), bar_(tabs.tabBar())
{
    QTabBar* bar = bar_;
    bar->setUsesScrollButtons(false);
    bar->setElideMode(Qt::ElideNone);
    bar->setExpanding(false);

    auto* corner = new QWidget(&tabs_);
    auto* row = new QHBoxLayout(corner);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    left_ = new QToolButton(corner);
    left_->setArrowType(Qt::LeftArrow);
    left_->setAutoRaise(true);
    right_ = new QToolButton(corner);
    right_->setArrowType(Qt::RightArrow);
    right_->setAutoRaise(true);
    row->addWidget(left_);
    row->addWidget(right_);
    tabs_.setCornerWidget(corner, Qt::TopRightCorner);

    connect(left_, &QToolButton::clicked, this, [this] { Page(-1); });
    connect(right_, &QToolButton::clicked, this, [this] { Page(+1); });
    connect(&tabs_, &QTabWidget::currentChanged, this, &TabPager::Relayout);
    tabs_.installEventFilter(this);
    bar->installEventFilter(this);
    Relayout();
}

bool TabPager::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == bar_ && event->type() == QEvent::Wheel) {
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (delta != 0) {
            const int next = std::clamp(tabs_.currentIndex() + (delta > 0 ? -1 : 1), 0, tabs_.count() - 1);
            tabs_.setCurrentIndex(next);
        }
        return true;
    }
    if (watched == &tabs_ && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) Relayout();
    return QObject::eventFilter(watched, event);
}

int TabPager::AvailableWidth() const
{
    const QWidget* corner = tabs_.cornerWidget(Qt::TopRightCorner);
    return tabs_.width() - (corner ? corner->sizeHint().width() : 0) - 4;
}

int TabPager::TabWidth(int index) const
{
    // The width of the tab with its whole caption, whether shown or not,
    // measured the way the bar measures its tabs.
    QTabBar* bar = tabs_.tabBar();
    QStyleOptionTab option;
    option.initFrom(bar);
    option.text = bar->tabText(index);
    const QFontMetrics metrics(bar->font());
    const QSize contents(metrics.horizontalAdvance(option.text) +
                             bar->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &option, bar),
                         metrics.height());
    return bar->style()->sizeFromContents(QStyle::CT_TabBarTab, &option, contents, bar).width();
}

int TabPager::LastFitting(int first) const
{
    const int available = AvailableWidth();
    int used = 0;
    int last = first;
    for (int i = first; i < tabs_.count(); ++i) {
        used += TabWidth(i);
        if (used > available && i > first) break;
        last = i;
    }
    return last;
}

void TabPager::Page(int step)
{
    first_ = std::clamp(first_ + step, 0, std::max(0, tabs_.count() - 1));
    // Paging keeps the selection where it is unless it leaves the run.
    const int last = LastFitting(first_);
    if (tabs_.currentIndex() < first_) {
        tabs_.setCurrentIndex(first_);
    } else if (tabs_.currentIndex() > last) {
        tabs_.setCurrentIndex(last);
    }
    Relayout();
}

void TabPager::Relayout()
{
    if (laying_ || tabs_.count() == 0) return;
    laying_ = true;
    const int current = std::max(0, tabs_.currentIndex());
    first_ = std::clamp(first_, 0, tabs_.count() - 1);
    if (current < first_) first_ = current;
    while (LastFitting(first_) < current) ++first_;
    // Fill the bar: when the run ends at the last tab, pull earlier tabs in.
    while (first_ > 0 && LastFitting(first_ - 1) == tabs_.count() - 1) --first_;
    last_ = LastFitting(first_);
    QTabBar* bar = tabs_.tabBar();
    for (int i = 0; i < tabs_.count(); ++i) bar->setTabVisible(i, i >= first_ && i <= last_);
    left_->setEnabled(first_ > 0);
    right_->setEnabled(last_ < tabs_.count() - 1);
    // Arrows only where there is somewhere to page to.
    if (QWidget* corner = tabs_.cornerWidget(Qt::TopRightCorner)) {
        corner->setVisible(left_->isEnabled() || right_->isEnabled());
    }
    // The notebook sizes its bar on a posted layout request, and the bar
    // places its tabs when resized: do both now, so the run never shows
    // squeezed or stale for a moment.
    QResizeEvent before(bar->size(), bar->size());
    QCoreApplication::sendEvent(bar, &before);
    QEvent layout(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(&tabs_, &layout);
    QResizeEvent after(bar->size(), bar->size());
    QCoreApplication::sendEvent(bar, &after);
    laying_ = false;
}
