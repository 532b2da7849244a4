#pragma once
// A notebook whose captions do not all fit in its fixed width. Qt's own
// scrolling slides the bar by pixels and leaves the leftmost caption cut
// ("rta", "tral"); here the bar shows a run of whole tabs instead, and two
// arrow buttons in the corner page by whole tabs. The selected tab is
// always in the run; the mouse wheel over the bar steps through the tabs,
// and Ctrl+Tab / Ctrl+Shift+Tab (handled by the notebook) do as well.

#include <QObject>

class QTabBar;
class QTabWidget;
class QToolButton;

class TabPager : public QObject {
    Q_OBJECT
public:
    // Attaches itself to the notebook (as its child).
    explicit TabPager(QTabWidget& tabs);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Lays the run out from first_, moving it so the current tab is in it.
    void Relayout();
    int AvailableWidth() const;
    int TabWidth(int index) const;
    // The last tab that fits when the run starts at first.
    int LastFitting(int first) const;
    void Page(int step);

    QTabWidget& tabs_;
    // Kept so the filter compares pointers only: it also sees the events of
    // the notebook's destruction, when calling into it is no longer safe.
    QTabBar* bar_;
    QToolButton* left_;
    QToolButton* right_;
    int first_ = 0;
    int last_ = 0;
    bool laying_ = false;
};
