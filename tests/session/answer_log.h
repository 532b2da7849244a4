#pragma once
// Every typed answer the session raises, written down as a line of text in
// order, so a test compares a whole exchange with one string.

#include <QObject>
#include <string>
#include <vector>

#include "session/panel_session.h"

namespace session_test {

class AnswerLog {
public:
    explicit AnswerLog(PanelSession& session)
    {
        const auto add = [this](std::string entry) {
            if (!text.empty()) text += ", ";
            text += entry;
        };
        QObject::connect(&session, &PanelSession::BlockRead, &guard_, [add](const std::vector<std::uint8_t>& block) {
            add("block " + std::to_string(block.front()));
        });
        QObject::connect(&session, &PanelSession::WriteAccepted, &guard_, [add] { add("write accepted"); });
        QObject::connect(&session, &PanelSession::WriteRefused, &guard_, [add] { add("write refused"); });
        QObject::connect(&session, &PanelSession::ReadRefused, &guard_, [add] { add("read refused"); });
        QObject::connect(&session, &PanelSession::RfRecordReceived, &guard_,
                         [add](const std::vector<std::uint8_t>& record) { add("record of " + std::to_string(record.size())); });
        QObject::connect(&session, &PanelSession::RfReportReceived, &guard_, [add](const std::vector<std::uint8_t>&) {
            add("rf report");
        });
        QObject::connect(&session, &PanelSession::StatusPageReceived, &guard_,
                         [add](const std::vector<std::uint8_t>& page) { add("page " + std::to_string(page.front())); });
        QObject::connect(&session, &PanelSession::Acknowledged, &guard_, [add] { add("ack"); });
        QObject::connect(&session, &PanelSession::NegativelyAcknowledged, &guard_, [add] { add("nack"); });
    }

    std::string text;

private:
    QObject guard_;  // the connections end with the log
};

}  // namespace session_test
