// The main window's layout, menus and status bar.

#include <QAction>
#include <QActionGroup>
#include <QFont>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "session/panel_session.h"
#include "ui/common/tab_pager.h"
#include "ui/main/form_principal.h"
#include "ui/pages/config_page.h"
#include "ui/pages/config_pages.h"
#include "ui/pages/rf_sensors_page.h"

namespace {

constexpr int kClientWidth = 738;
constexpr int kClientHeight = 629;
constexpr int kStatusPanelWidths[3] = {250, 400, 50};

QAction* NamedAction(const QString& name, const QString& caption, QObject* parent)
{
    auto* action = new QAction(caption, parent);
    action->setObjectName(name);
    return action;
}

}  // namespace

void TFormPrincipal::BuildLayout()
{
    setObjectName(QStringLiteral("FormPrincipal"));
    setWindowTitle(QStringLiteral("Quorvel - V1.08"));
    // Fixed single border: title, system menu and minimise box only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(13);
    setFont(font);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);

    auto* statusRow = new QHBoxLayout;
    auto* label2 = new QLabel(QStringLiteral("Status:"), central);
    label2->setObjectName(QStringLiteral("Label2"));
    QFont bold = label2->font();
    bold.setBold(true);
    label2->setFont(bold);
    labelStatusCmd_ = new QLabel(central);
    labelStatusCmd_->setObjectName(QStringLiteral("LabelStatusCmd"));
    labelStatusCmd_->setFont(bold);
    QPalette palette = labelStatusCmd_->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    labelStatusCmd_->setPalette(palette);
    labelStatusCmd_->clear();
    statusRow->addWidget(label2);
    statusRow->addWidget(labelStatusCmd_, 1);

    // Never visible: a hidden hook that sets the panel's clock.
    speedButton1_ = new QPushButton(central);
    speedButton1_->setObjectName(QStringLiteral("SpeedButton1"));
    speedButton1_->setVisible(false);
    connect(speedButton1_, &QPushButton::clicked, this, &TFormPrincipal::SpeedButton1Click);
    statusRow->addWidget(speedButton1_);
    layout->addLayout(statusRow);

    pageControl_ = new QTabWidget(central);
    pageControl_->setObjectName(QStringLiteral("PageControlPrincipal"));
    pages_ = CreateConfigPages(services_.session, services_.dialogs, pageControl_);
    for (ConfigPage* page : pages_) {
        if (auto* rf = qobject_cast<RfSensorsPage*>(page)) ConnectRfSensorsPage(rf);
        pageControl_->addTab(page, page->Caption());
    }
    pageControl_->setCurrentIndex(0);
    new TabPager(*pageControl_);
    layout->addWidget(pageControl_, 1);
    setCentralWidget(central);

    BuildMenus();
    BuildStatusBar();
    // The client area (below the menu bar) is fixed.
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void TFormPrincipal::ConnectRfSensorsPage(RfSensorsPage* page)
{
    connect(page, &RfSensorsPage::StatusText, labelStatusCmd_, &QLabel::setText);
    connect(page, &RfSensorsPage::EnrolmentRequested, this, [this] { ShowWhileOpen(formCadastro_); });
}

void TFormPrincipal::BuildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QAction* sair = NamedAction(QStringLiteral("Sair1"), QStringLiteral("Sair"), this);
    connect(sair, &QAction::triggered, this, &TFormPrincipal::Sair1Click);
    bar->addAction(sair);

    QMenu* portaSerial = bar->addMenu(QStringLiteral("Porta Serial"));
    portaSerial->setObjectName(QStringLiteral("PortaSerial1"));
    portaSerial->menuAction()->setObjectName(QStringLiteral("PortaSerial1"));

    menuSerialAbrir_ = NamedAction(QStringLiteral("MenuSerialAbrir"), QStringLiteral("Abrir"), portaSerial);
    connect(menuSerialAbrir_, &QAction::triggered, this, &TFormPrincipal::OpenSerialPort);
    portaSerial->addAction(menuSerialAbrir_);

    menuSerialFechar_ = NamedAction(QStringLiteral("MenuSerialFechar"), QStringLiteral("Fechar"), portaSerial);
    connect(menuSerialFechar_, &QAction::triggered, this, &TFormPrincipal::MenuSerialFecharClick);
    portaSerial->addAction(menuSerialFechar_);

    menuNumPorta_ = portaSerial->addMenu(QStringLiteral("Numero porta"));
    menuNumPorta_->setObjectName(QStringLiteral("MenuNumPorta"));
    menuNumPorta_->menuAction()->setObjectName(QStringLiteral("MenuNumPorta"));
    menuNumPorta_->setToolTipsVisible(true);
    portaSerial->setToolTipsVisible(true);  // the reason a port folder is ignored
    portGroup_ = new QActionGroup(menuNumPorta_);
    portGroup_->setExclusive(true);

    menuVelocidadePorta_ = portaSerial->addMenu(QStringLiteral("Velocidade"));
    menuVelocidadePorta_->setObjectName(QStringLiteral("MenuVelocidadePorta"));
    menuVelocidadePorta_->menuAction()->setObjectName(QStringLiteral("MenuVelocidadePorta"));
    auto* baudGroup = new QActionGroup(menuVelocidadePorta_);
    baudGroup->setExclusive(true);
    for (int baud : {115200, 57600, 38400, 19200, 9600}) {
        QAction* action = NamedAction(QStringLiteral("ConfigBaud%1").arg(baud), QStringLiteral("%1 bps").arg(baud),
                                      menuVelocidadePorta_);
        action->setCheckable(true);
        action->setData(baud);
        baudGroup->addAction(action);
        menuVelocidadePorta_->addAction(action);
        baudActions_.push_back(action);
    }
    baudActions_.front()->setChecked(true);

    atualizacaoAction_ = NamedAction(QStringLiteral("Atualizaodefirmware1"), QStringLiteral("Atualização de firmware"), this);
    connect(atualizacaoAction_, &QAction::triggered, this, &TFormPrincipal::Atualizaodefirmware1Click);
    bar->addAction(atualizacaoAction_);

    debugAction_ = NamedAction(QStringLiteral("Debug1"), QStringLiteral("Debug"), this);
    connect(debugAction_, &QAction::triggered, this, &TFormPrincipal::Debug1Click);
    bar->addAction(debugAction_);

    // The library works with or without a panel: never disabled.
    QAction* biblioteca = NamedAction(QStringLiteral("Biblioteca1"), QStringLiteral("Biblioteca"), this);
    connect(biblioteca, &QAction::triggered, this, &TFormPrincipal::LibraryRequested);
    bar->addAction(biblioteca);

    SetClosedMenuState();
}

void TFormPrincipal::BuildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    // The panels share one row of their own: the bar's own items would put
    // 6 px between panels and none at the right edge, and "Porta: COM255"
    // would not fit whole with its border.
    auto* row = new QWidget(bar);
    auto* panels = new QHBoxLayout(row);
    panels->setContentsMargins(0, 0, 3, 0);
    panels->setSpacing(2);
    bar->addWidget(row, 1);
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(row);
        panel->setObjectName(QStringLiteral("StatusBarPanel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // The clock text ends in a line break: keep the panels one line high,
        // text at the top, so the bar does not grow.
        panel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        panel->setFixedHeight(panel->fontMetrics().height() + 2 * panel->frameWidth() + 2);
        QFont condensed = panel->font();
        condensed.setStretch(QFont::Condensed);
        panel->setFont(condensed);
        if (i < 2) {
            panel->setFixedWidth(kStatusPanelWidths[i]);
            panels->addWidget(panel);
        } else {
            // The last panel takes what is left of the bar, so "Porta: COM"
            // and its number are never cut off.
            panel->setMinimumWidth(kStatusPanelWidths[i]);
            panels->addWidget(panel, 1);
        }
        statusPanels_[i] = panel;
    }
    // Shown only once a trace asked for with --trace could not be written.
    traceStopped_ = new QLabel(row);
    traceStopped_->setObjectName(QStringLiteral("LabelTraceStopped"));
    traceStopped_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    traceStopped_->setFixedHeight(statusPanels_[2]->height());
    traceStopped_->hide();
    panels->addWidget(traceStopped_);
}

void TFormPrincipal::ShowTraceStopped(const QString& reason)
{
    traceStopped_->setText(QStringLiteral("Rastreamento interrompido: %1").arg(reason));
    traceStopped_->show();
}

void TFormPrincipal::SetClosedMenuState()
{
    menuSerialAbrir_->setEnabled(true);
    menuSerialFechar_->setEnabled(false);
    menuNumPorta_->menuAction()->setEnabled(true);
    menuVelocidadePorta_->menuAction()->setEnabled(true);
    atualizacaoAction_->setEnabled(false);
    debugAction_->setEnabled(false);
}
