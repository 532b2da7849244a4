#pragma once
// The fifteen tabs of the main window, in notebook order.

#include <vector>

class ConfigPage;
class QWidget;

std::vector<ConfigPage*> CreateConfigPages(QWidget* parent);
