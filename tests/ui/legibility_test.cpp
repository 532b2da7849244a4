// What an installer reads on site: values in disabled controls, every tab
// of a notebook wider than its window, the port in the status bar and the
// titles of the message boxes.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <functional>

#include "support/tool_harness.h"
#include "ui/common/dialogs.h"
#include "ui/common/readable_palette.h"
#include "ui/diagnostics/form_debug.h"

namespace {

constexpr double kReadable = 4.5;

// Every tab the bar shows is whole, inside the bar, clear of the corner
// arrows, and the selected one is among them.
void CheckWholeTabs(QTabWidget* tabs, const QString& context)
{
    QTabBar* bar = tabs->tabBar();
    const QWidget* corner = tabs->cornerWidget(Qt::TopRightCorner);
    const int limit = corner && corner->isVisible() ? corner->geometry().left() : tabs->width();
    QVERIFY2(bar->isTabVisible(tabs->currentIndex()), qPrintable(context));
    for (int i = 0; i < tabs->count(); ++i) {
        if (!bar->isTabVisible(i)) continue;
        const QRect rect = bar->tabRect(i);
        const QString where = QStringLiteral("%1, tab %2 \"%3\"").arg(context).arg(i).arg(bar->tabText(i));
        QVERIFY2(rect.left() >= 0 && rect.right() < bar->width(), qPrintable(where));
        QVERIFY2(bar->mapTo(tabs, rect.topRight()).x() < limit, qPrintable(where));
        QVERIFY2(rect.width() > bar->fontMetrics().horizontalAdvance(bar->tabText(i)), qPrintable(where));
    }
}

}  // namespace

class LegibilityTest : public QObject {
    Q_OBJECT
private slots:
    void disabledValuesStayReadable();
    void everyTabCanBeReachedAndShowsWhole();
    void thePortPanelShowsTheLongestPortWhole();
    void likeControlsAreLaidOutAlike();
    void messageBoxesShowTheirWholeTitle();
};

void LegibilityTest::disabledValuesStayReadable()
{
    ToolHarness tool;
    TFormPrincipal& window = tool.Start();
    auto* edit = tool.Find<QLineEdit>(QStringLiteral("CfgTimerMsgPolling"));
    auto* combo = tool.Find<QComboBox>(QStringLiteral("TipoAtuador1"));
    auto* radio = tool.Find<QRadioButton>(QStringLiteral("CheckBoxSirene1"));
    QVERIFY(!edit->isEnabled() && !combo->isEnabled() && !radio->isEnabled());

    const struct {
        const char* what;
        QPalette palette;
        QPalette::ColorRole text;
        QPalette::ColorRole background;
    } cases[] = {
        {"edit text", edit->palette(), QPalette::Text, QPalette::Base},
        {"list text", combo->palette(), QPalette::ButtonText, QPalette::Button},
        {"typed list text", combo->palette(), QPalette::Text, QPalette::Base},
        {"radio caption", radio->palette(), QPalette::WindowText, QPalette::Window},
        {"radio mark", radio->palette(), QPalette::Text, QPalette::Base},
        {"debug window", tool.App().DiagnosticWindow().palette(), QPalette::WindowText, QPalette::Window},
    };
    for (const auto& c : cases) {
        const double ratio = ContrastRatio(c.palette.color(QPalette::Disabled, c.text),
                                           c.palette.color(QPalette::Disabled, c.background));
        QVERIFY2(ratio >= kReadable, qPrintable(QStringLiteral("%1: %2:1").arg(c.what).arg(ratio, 0, 'f', 2)));
    }
    // A disabled field still looks unlike an editable one.
    QVERIFY(edit->palette().color(QPalette::Disabled, QPalette::Base) !=
            edit->palette().color(QPalette::Active, QPalette::Base));
    Q_UNUSED(window);
}

void LegibilityTest::everyTabCanBeReachedAndShowsWhole()
{
    ToolHarness tool;
    TFormPrincipal& window = tool.Start();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* main = tool.Find<QTabWidget>(QStringLiteral("PageControlPrincipal"));
    main->setCurrentIndex(3);
    auto* modem = tool.Find<QTabWidget>(QStringLiteral("PageControlModem"));
    // The Debug window's fourteen tabs, in their own window.
    QDialog& debugWindow = tool.App().DiagnosticWindow();
    debugWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&debugWindow));
    auto* debug = debugWindow.findChild<QTabWidget*>(QStringLiteral("PageControlDebug"));
    QVERIFY(debug);

    for (QTabWidget* tabs : {main, modem, debug}) {
        // Each tab in turn, forwards and back.
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            CheckWholeTabs(tabs, tabs->objectName() + QStringLiteral(" at %1").arg(i));
        }
        for (int i = tabs->count() - 1; i >= 0; --i) {
            tabs->setCurrentIndex(i);
            CheckWholeTabs(tabs, tabs->objectName() + QStringLiteral(" back at %1").arg(i));
        }

        // The wheel over the bar steps one tab at a time.
        const QPoint centre = tabs->tabBar()->rect().center();
        QWheelEvent down(centre, tabs->tabBar()->mapToGlobal(centre), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                         Qt::NoScrollPhase, false);
        QApplication::sendEvent(tabs->tabBar(), &down);
        QCOMPARE(tabs->currentIndex(), 1);
        CheckWholeTabs(tabs, tabs->objectName() + QStringLiteral(" after the wheel"));

        // Ctrl+Tab and Ctrl+Shift+Tab from a control on the page.
        QWidget* inside = tabs->currentWidget();
        QTest::keyClick(inside, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 2);
        QTest::keyClick(tabs->currentWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(tabs->currentIndex(), 1);
        tabs->setCurrentIndex(0);
    }
}

void LegibilityTest::thePortPanelShowsTheLongestPortWhole()
{
    ToolHarness tool;
    TFormPrincipal& window = tool.Start();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* panel = window.statusBar()->findChild<QLabel*>(QStringLiteral("StatusBarPanel2"));
    panel->setText(QStringLiteral("Porta: COM255"));
    QCoreApplication::processEvents();
    const QRect inWindow(panel->mapTo(&window, QPoint(0, 0)), panel->size());
    const int needed = panel->fontMetrics().horizontalAdvance(panel->text());
    qInfo("port panel: %d px of text in %d px inside its frame; frame ends %d px from the window's edge", needed,
          panel->contentsRect().width(), window.width() - 1 - inWindow.right());
    QVERIFY(panel->contentsRect().width() >= needed);
    // Its frame is drawn whole, clear of the window's edge.
    QVERIFY(inWindow.right() <= window.width() - 4);
}

void LegibilityTest::likeControlsAreLaidOutAlike()
{
    ToolHarness tool;
    TFormPrincipal& window = tool.Start();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* tabs = tool.Find<QTabWidget>(QStringLiteral("PageControlPrincipal"));
    auto left = [&](const char* name) { return tool.Find<QWidget>(QString::fromLatin1(name))->mapTo(&window, QPoint()); };

    // "Cofre": the second choice of both rows starts in one column.
    tabs->setCurrentWidget(tool.Find<QWidget>(QStringLiteral("TabSheet28")));
    QCOMPARE(left("CfgFuncaoCofreDesab").x(), left("CfgPolAtuadorCofre2").x());

    // The code cells of "Ibutton" and "Sensor temperatura" are alike.
    QCOMPARE(tool.Find<QWidget>(QStringLiteral("NumIdMoto6"))->width(), tool.Find<QWidget>(QStringLiteral("Edit8"))->width());

    // Every polarity caption of "Atuadores" stands beside its buttons.
    tabs->setCurrentWidget(tool.Find<QWidget>(QStringLiteral("TabSheet6")));
    auto* actuators = tool.Find<QTabWidget>(QStringLiteral("PageControlAtuadores"));
    const struct {
        int subPage;
        const char* first;
        const char* second;
    } pairs[] = {{1, "CheckBoxSirene1", "CheckBoxSirene2"},
                 {2, "PolaridadeAtuadorC1_T", "PolaridadeAtuadorC1_F"},
                 {3, "PolaridadeAtuadorBuzzerT", "PolaridadeAtuadorBuzzerF"}};
    for (const auto& pair : pairs) {
        actuators->setCurrentIndex(pair.subPage);
        const int pageLeft = actuators->currentWidget()->mapTo(&window, QPoint()).x();
        QVERIFY2(left(pair.first).x() > pageLeft + 60, pair.first);  // the caption is to the left
        QCOMPARE(left(pair.first).x(), left(pair.second).x());
        QVERIFY(left(pair.second).y() > left(pair.first).y());
    }
}

void LegibilityTest::messageBoxesShowTheirWholeTitle()
{
    QtDialogs dialogs;
    QWidget parent;
    // Short texts make narrow boxes; the title bar still needs its title
    // whole, with the window's icon and buttons beside it.
    const std::function<void()> shows[] = {
        [&] { dialogs.Information(&parent, QStringLiteral("Versão nova OK.")); },
        [&] { dialogs.Error(&parent, QStringLiteral("Erro.")); },
        [&] { dialogs.Question(&parent, QStringLiteral("Atenção"), QStringLiteral("Sim?")); },
    };
    for (const auto& show : shows) {
        QString title;
        int titleWidth = 0;
        int width = 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            QFont font = QApplication::font("QMdiSubWindowTitleBar");
            font.setBold(true);
            title = box->windowTitle();
            titleWidth = QFontMetrics(font).horizontalAdvance(title);
            width = box->width();
            box->done(0);
        });
        show();
        QVERIFY(!title.isEmpty());
        QVERIFY2(width >= titleWidth + 150, qPrintable(QStringLiteral("%1: %2 px").arg(title).arg(width)));
    }
}

QTEST_MAIN(LegibilityTest)
#include "legibility_test.moc"
