#pragma once
// The fifteen tabs of the main window, in notebook order.

#include <vector>

class ConfigPage;
class PageServices;
class QWidget;

std::vector<ConfigPage*> CreateConfigPages(PageServices& services, QWidget* parent);
