#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class PreferencesWindowController;
}

// The program-wide settings. OK stores every control under its key and writes the settings to
// disk; Cancel stores nothing. Either closes the window, which frees it.
class PreferencesWindowController final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PreferencesWindowController)

public:
    explicit PreferencesWindowController(QWidget *parent = nullptr);
    ~PreferencesWindowController() override;

    void OKButtonClicked();
    void cancelButtonClicked();

private:
    void awakeFromNib();

    std::unique_ptr<Ui::PreferencesWindowController> _ui;
};

// A new preferences window, centred and shown, each time; `sender` is who asked (may be null).
PreferencesWindowController *CreatePreferencesWindow(QObject *sender);
