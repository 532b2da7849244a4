#pragma once
// The software panel on a pseudo-terminal, on a thread of its own so the
// tool's time is measured apart from the panel's; everything the panel owns
// is made, used and destroyed there.

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <memory>

#include "app/panel_host.h"

class PanelThread {
public:
    PanelThread()
    {
        context_.moveToThread(&thread_);
        thread_.start();
        Run([this] { host_ = std::make_unique<PanelHost>(VirtualPanel::Options{.model = 51}); });
    }
    ~PanelThread()
    {
        Run([this] { host_.reset(); });
        thread_.quit();
        thread_.wait();
    }
    PanelThread(const PanelThread&) = delete;
    PanelThread& operator=(const PanelThread&) = delete;

    template <typename F>
    void Run(F work)
    {
        QMetaObject::invokeMethod(&context_, work, Qt::BlockingQueuedConnection);
    }
    PanelHost& Host() { return *host_; }

private:
    QThread thread_;
    QObject context_;
    std::unique_ptr<PanelHost> host_;
};
