// quorvel-screenshot FILE.png: the main window as a software centre shows
// it, drawn without a display (the offscreen platform) for the package's
// AppStream metadata. The demo panel is opened, identified and its first
// tab read, so the picture shows a tool at work, not an empty form.
//
// Nothing of the machine leaks into the picture, and nothing of the picture
// into the machine: an empty device folder and port folder (the demo panel
// is COM1), a library of its own in a temporary folder, and the clock at
// SOURCE_DATE_EPOCH when set, so the same sources draw the same window.
// Exit status: 0 written, 1 the window did not come up or the file could
// not be written, 2 usage.

#include <QApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "app/application.h"
#include "ports/port_catalogue.h"
#include "session/clock.h"
#include "session/panel_session.h"
#include "ui/common/dialogs.h"
#include "ui/main/form_principal.h"

namespace {

// No box may open on a machine without a user: every message goes to
// standard error, and an error fails the picture.
class ConsoleDialogs final : public Dialogs {
public:
    void Error(QWidget*, const QString& text) override { Fail(text); }
    void Information(QWidget*, const QString& text) override { Say(text); }
    bool Question(QWidget*, const QString&, const QString& text) override
    {
        Say(text);
        return false;
    }
    void ErrorReport(QWidget*, const QString& text) override { Fail(text); }
    void ShowModal(QDialog&) override {}
    void Show(QDialog&) override {}
    QString SaveFileName(QWidget*, const QString&) override { return {}; }
    QString OpenFile(QWidget*, const QString&) override { return {}; }
    bool failed = false;

private:
    static void Say(const QString& text) { std::fprintf(stderr, "quorvel-screenshot: %s\n", qPrintable(text)); }
    void Fail(const QString& text)
    {
        Say(text);
        failed = true;
    }
};

class PinnedClock final : public Clock {
public:
    explicit PinnedClock(QDateTime now) : now_(std::move(now)) {}
    QDateTime Now() const override { return now_.isValid() ? now_ : QDateTime::currentDateTime(); }

private:
    QDateTime now_;
};

QDateTime SourceDate()
{
    bool ok = false;
    const qint64 seconds = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&ok);
    return ok ? QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC) : QDateTime();
}

// Runs the event loop until done() holds, at most timeoutMs.
bool RunUntil(const std::function<bool()>& done, int timeoutMs)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    check.start(10);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!done()) loop.exec();
    return done();
}

QPushButton* VisibleReadButton(const TFormPrincipal& window)
{
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        if (button->objectName().startsWith(QLatin1String("BtnLer")) && button->isVisible()) return button;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fputs("usage: quorvel-screenshot FILE.png\n", stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    const QString output = QString::fromLocal8Bit(argv[1]);

    QTemporaryDir machine;
    if (!machine.isValid()) {
        std::fprintf(stderr, "quorvel-screenshot: no temporary folder: %s\n", qPrintable(machine.errorString()));
        return 1;
    }
    ConsoleDialogs dialogs;
    SystemPortCatalogue ports({.portFolder = machine.filePath(QStringLiteral("ports")).toStdString(),
                               .deviceRoot = machine.filePath(QStringLiteral("dev")).toStdString()});
    PinnedClock clock(SourceDate());
    Application application({dialogs, ports, clock},
                            {.demo = true,
                             .pacedDemo = false,
                             .library = machine.filePath(QStringLiteral("library.sqlite"))});
    TFormPrincipal& window = application.MainWindow();
    window.show();

    PanelSession& session = application.Session();
    if (!RunUntil([&] { return dialogs.failed || session.IsEquipmentConnected(); }, 10000) || dialogs.failed) {
        std::fputs("quorvel-screenshot: the demo panel did not answer\n", stderr);
        return 1;
    }
    auto* status = window.findChild<QLabel*>(QStringLiteral("LabelStatusCmd"));
    QPushButton* read = VisibleReadButton(window);
    if (status == nullptr || read == nullptr) {
        std::fputs("quorvel-screenshot: the window has no status line or no read button\n", stderr);
        return 1;
    }
    status->clear();
    read->click();
    if (!RunUntil([&] { return dialogs.failed || !status->text().isEmpty(); }, 10000) || dialogs.failed) {
        std::fputs("quorvel-screenshot: the first tab was not read\n", stderr);
        return 1;
    }

    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || !window.grab().save(&file, "PNG") || !file.commit()) {
        std::fprintf(stderr, "quorvel-screenshot: cannot write %s: %s\n", argv[1], qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
