// Start-up: the application object, the seams, the windows, the event loop.
// An error that escapes the loop is shown in a standard box; the exit code is 0.
//   quorvel          the tool, on the machine's serial ports
//   quorvel --demo   the same, plus a software panel, opened at start

#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "app/application.h"
#include "ports/port_catalogue.h"
#include "session/clock.h"
#include "ui/common/dialogs.h"
#include "ui/main/form_principal.h"

namespace {

void ShowEscapedError(const QString& message)
{
    QMessageBox::critical(nullptr, QApplication::applicationDisplayName(), message);
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The application's title. Not set as the display name: Qt would append
    // that to every window's caption.
    QApplication::setApplicationName(QStringLiteral("Quorvel"));

    try {
        QtDialogs dialogs;
        SystemPortCatalogue ports;
        SystemClock clock;
        Application application({dialogs, ports, clock},
                                {.demo = QApplication::arguments().contains(QStringLiteral("--demo"))});
        application.MainWindow().show();
        QApplication::exec();
    } catch (const std::exception& e) {
        ShowEscapedError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowEscapedError(QString());
    }
    return 0;
}
