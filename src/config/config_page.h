#pragma once
// One tab of the main window's configuration notebook: the four buttons
// every tab carries ("Ler Config", "Editar Config", "Gravar Config",
// "Limpar Campos", named after the tab number) above the tab's own controls,
// which may sit on an inner notebook of sub-pages.

#include <QString>
#include <QStringList>
#include <QWidget>

class QPushButton;
class QTabWidget;
class QVBoxLayout;

class ConfigPage : public QWidget {
    Q_OBJECT
public:
    ConfigPage(int tabNumber, const QString& objectName, const QString& caption, QWidget* parent = nullptr);

    int TabNumber() const { return tabNumber_; }
    const QString& Caption() const { return caption_; }

    QPushButton* ReadButton() const { return read_; }
    QPushButton* EditButton() const { return edit_; }
    QPushButton* WriteButton() const { return write_; }
    QPushButton* ClearButton() const { return clear_; }
    // The inner notebook of a tab with sub-pages, or nullptr.
    QTabWidget* SubPages() const { return subPages_; }

protected:
    // The area below the buttons for the tab's own controls.
    QVBoxLayout* Body() const { return body_; }
    // Adds the inner notebook with one empty page per caption.
    QTabWidget* AddSubPages(const QString& objectName, const QStringList& captions);

private:
    int tabNumber_;
    QString caption_;
    QPushButton* read_;
    QPushButton* edit_;
    QPushButton* write_;
    QPushButton* clear_;
    QTabWidget* subPages_ = nullptr;
    QVBoxLayout* body_;
};
