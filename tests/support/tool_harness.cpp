#include "support/tool_harness.h"

#include <QAction>
#include <QTest>

#include "atualizacao/form_atualizacao.h"
#include "cadastrosensor/form_cadastro.h"
#include "debug/form_debug.h"
#include "shell/form_principal.h"

ToolHarness::ToolHarness()
{
    const std::filesystem::path root = dir_.path().toStdString();
    std::filesystem::create_directories(root / "dev");
    ports_ = std::make_unique<SystemPortCatalogue>(SystemPortCatalogue::Options{root / "ports", root / "dev"});
}

ToolHarness::~ToolHarness()
{
    // The secondary windows are children of the main window's; drop them first.
    cadastro_.reset();
    debug_.reset();
    atualizacao_.reset();
    window_.reset();
}

std::filesystem::path ToolHarness::PortFolder() const { return std::filesystem::path(dir_.path().toStdString()) / "ports"; }

TFormPrincipal& ToolHarness::Start()
{
    window_ = std::make_unique<TFormPrincipal>(TFormPrincipal::Services{dialogs, *ports_, clock});
    atualizacao_ = std::make_unique<TFormAtualizacao>(window_.get());
    debug_ = std::make_unique<TFormDebug>(window_.get());
    cadastro_ = std::make_unique<TFormCadastro>(window_.get());
    window_->AttachWindows(atualizacao_.get(), debug_.get(), cadastro_.get());
    return *window_;
}

QAction* ToolHarness::Action(const char* objectName) const
{
    auto* action = window_->findChild<QAction*>(QString::fromLatin1(objectName));
    if (!action) QTest::qFail(qPrintable(QStringLiteral("no menu item %1").arg(objectName)), __FILE__, __LINE__);
    return action;
}

void ToolHarness::Trigger(const char* objectName) const
{
    if (QAction* action = Action(objectName)) action->trigger();
}
