#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class PreferencesWindowController;
}

// The preferences window. Every setting lives in the documents, so the window only tells where;
// closing it, by either button, frees it.
class PreferencesWindowController final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PreferencesWindowController)

public:
    explicit PreferencesWindowController(QWidget *parent = nullptr);
    ~PreferencesWindowController() override;

    static QString windowNibName() { return QStringLiteral("PreferencesWindowController"); }

    void awakeFromNib();
    void OKButtonClicked();
    void cancelButtonClicked();

private:
    std::unique_ptr<Ui::PreferencesWindowController> _ui;
};
