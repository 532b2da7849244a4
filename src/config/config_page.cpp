#include "config/config_page.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QPushButton* MakeButton(const QString& name, int tabNumber, const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name + QString::number(tabNumber));
    return button;
}

}  // namespace

ConfigPage::ConfigPage(int tabNumber, const QString& objectName, const QString& caption, QWidget* parent)
    : QWidget(parent), tabNumber_(tabNumber), caption_(caption)
{
    setObjectName(objectName);
    read_ = MakeButton(QStringLiteral("BtnLer"), tabNumber, QStringLiteral("Ler Config"), this);
    edit_ = MakeButton(QStringLiteral("BtnEditar"), tabNumber, QStringLiteral("Editar Config"), this);
    write_ = MakeButton(QStringLiteral("BtnGravar"), tabNumber, QStringLiteral("Gravar Config"), this);
    clear_ = MakeButton(QStringLiteral("BtnLimpar"), tabNumber, QStringLiteral("Limpar Campos"), this);
    // Every page starts in view state: only the write button is disabled.
    write_->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {read_, edit_, write_, clear_}) buttons->addWidget(b);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    body_ = new QVBoxLayout;
    layout->addLayout(body_, 1);
}

QTabWidget* ConfigPage::AddSubPages(const QString& objectName, const QStringList& captions)
{
    subPages_ = new QTabWidget(this);
    subPages_->setObjectName(objectName);
    for (int i = 0; i < captions.size(); ++i) {
        auto* page = new QWidget(subPages_);
        page->setObjectName(objectName + QStringLiteral("Page") + QString::number(i));
        subPages_->addTab(page, captions[i]);
    }
    body_->addWidget(subPages_, 1);
    return subPages_;
}
