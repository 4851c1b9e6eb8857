#pragma once

#include <QColor>
#include <QMetaObject>
#include <QString>
#include <QTableView>
#include <cstdint>
#include <functional>
#include <vector>

// The striped table of both programs: even rows (counted from 0) pale blue, odd rows white,
// with the stripes continued below the last row so an empty or short table still looks like a
// list. It can show a large grey text over the table, normally while it is empty, and turns a
// plain Delete or Backspace into the owner's delete action. When its model is an
// ObjectTableDataSource, it tells the model of every selection change.
class AlternatingTableView : public QTableView
{
    Q_OBJECT

public:
    using DeleteAction = std::function<void(AlternatingTableView *sender)>;

    explicit AlternatingTableView(QWidget *parent = nullptr);
    ~AlternatingTableView() override;

    static QColor evenRowColor();
    static QColor oddRowColor();

    const DeleteAction &deleteAction() const { return _deleteAction; }
    // None by default: the keys then do what they do in any table.
    void setDeleteAction(DeleteAction action) { _deleteAction = std::move(action); }

    // An empty text shows no overlay.
    const QString &overlayText() const { return _overlayText; }
    void setOverlayText(const QString &text);
    bool alwaysDrawOverlay() const { return _alwaysDrawOverlay; }
    void setAlwaysDrawOverlay(bool always);
    // Points; 0 or below uses the size of the view's font.
    int8_t overlayFontSize() const { return _overlayFontSize; }
    void setOverlayFontSize(int8_t size);

    void setModel(QAbstractItemModel *model) override;
    void setSelectionModel(QItemSelectionModel *selectionModel) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool overlayShows() const;
    // Under the cells: even rows across the whole width, so the stripe does not end at the last
    // column.
    void paintRowStripes(QPainter &painter, const QRect &dirty);
    void paintStripesBelowLastRow(QPainter &painter);
    void paintOverlay(QPainter &painter);
    void forwardSelectionChange();

    DeleteAction _deleteAction;
    QString _overlayText;
    bool _alwaysDrawOverlay = false;
    int8_t _overlayFontSize = 16;
    std::vector<QMetaObject::Connection> _modelConnections;
    QMetaObject::Connection _selectionConnection;
};
