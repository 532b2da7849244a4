#pragma once
// The fifteen tabs of the main window: one ordered table, a tab's number
// being its place in it.

#include <vector>

class ConfigPage;
class Dialogs;
class PanelSession;
class QWidget;

std::vector<ConfigPage*> CreateConfigPages(PanelSession& session, Dialogs& dialogs, QWidget* parent);
