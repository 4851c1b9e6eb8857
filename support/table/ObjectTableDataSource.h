#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class ObjectTableDataSource;
class QItemSelectionModel;
class QMimeData;

// Where a drop lands: onto a row, or into the gap above it (a row equal to the count is the gap
// below the last row).
enum class TableDropOperation { On, Above };

// What the table model passes on to its owner. Every hook is optional: the defaults do nothing,
// and the hooks that answer return an empty optional for "no answer", which the model turns
// into its own default (no drag, no drop).
class ObjectTableDataSourceDelegate
{
public:
    virtual ~ObjectTableDataSourceDelegate() = default;
    // After an edit in the table has been stored.
    virtual void tableViewSetObjectValue(ObjectTableDataSource *, const QVariant & /*value*/,
                                         const QString & /*columnIdentifier*/, int /*row*/) {}
    virtual void tableViewSelectionDidChange(ObjectTableDataSource *, const QItemSelectionModel *) {}
    // Fills `pasteboard` for a drag of `rows`; true lets the drag start.
    virtual std::optional<bool> tableViewWriteRows(ObjectTableDataSource *, const QList<int> & /*rows*/,
                                                   QMimeData * /*pasteboard*/)
    {
        return std::nullopt;
    }
    virtual std::optional<Qt::DropAction> tableViewValidateDrop(ObjectTableDataSource *, const QMimeData *,
                                                                Qt::DropAction /*proposedAction*/,
                                                                int /*proposedRow*/, TableDropOperation)
    {
        return std::nullopt;
    }
    virtual std::optional<bool> tableViewAcceptDrop(ObjectTableDataSource *, const QMimeData *, Qt::DropAction,
                                                    int /*row*/, TableDropOperation)
    {
        return std::nullopt;
    }
};

// The one model behind every list of both programs. A row is a dictionary keyed by column
// identifier, so a table is filled without a model class of its own; a row may lack any key.
// Rows change only through the functions below, each of which tells attached views. Main
// thread only.
class ObjectTableDataSource final : public QAbstractTableModel
{
    Q_OBJECT

public:
    // How the last sort compared its values: decided by the first row's value.
    enum class ComparisonType : int32_t { NotComparable = 0, Strings = 1, Numbers = 2 };

    // A strict "less than" over two rows, for owners that sort by rules of their own.
    using RowLess = std::function<bool(const QVariantMap &, const QVariantMap &)>;

    explicit ObjectTableDataSource(QObject *parent = nullptr);
    ~ObjectTableDataSource() override;

    // The columns, in display order; header titles are set with setHeaderData.
    void setColumnIdentifiers(const QStringList &identifiers);
    const QStringList &columnIdentifiers() const { return _columnIdentifiers; }
    // -1 when no column carries the identifier.
    int columnForIdentifier(const QString &identifier) const;

    // The live rows, read-only: changes go through the functions below so views keep up.
    const QList<QVariantMap> &data() const { return _data; }
    int count() const { return static_cast<int>(_data.size()); }

    // Adds an empty row at `index` (below 0: at the end) and returns where it went. With a row
    // limit, the oldest row goes first when the table already holds more rows than the limit,
    // so the table holds at most limit + 1 rows; an index past the end then appends.
    int insertItem(int index);
    void removeItem(int row);
    // Removes the given rows (any order, duplicates allowed) in as few steps as they allow.
    void removeItems(QList<int> rows);
    void removeAllItems();

    // An invalid QVariant for a row without that key or a row that does not exist.
    QVariant itemObject(int row, const QString &columnIdentifier) const;
    // Storing an invalid QVariant removes the key: the row then lacks that value.
    void setItemObject(const QVariant &object, int row, const QString &columnIdentifier);
    // The first row whose value for the column equals `object`, or -1. Numbers are equal by value
    // (1 and 1.0), other values only to values of their own type (the text "1" is not 1).
    int findItemObjectRow(const QVariant &object, const QString &columnIdentifier) const;
    // The column's values in row order, rows without one skipped; no list at all (rather than an
    // empty one) when no row has a value.
    std::optional<QVariantList> getObjectsInColumnAsArray(const QString &columnIdentifier) const;

    // Sorts ascending by the column, comparing as the first row's value suggests (strings
    // literally, numbers numerically). Rows whose values cannot be compared that way count as
    // equal and keep their order.
    void sortDataByColumnIdentifier(const QString &columnIdentifier);
    // The same machinery with the owner's order; equal rows keep their order.
    void sortData(const RowLess &less);
    const QString &lastSortHeader() const { return _lastSortHeader; }
    ComparisonType comparisonType() const { return _comparisonType; }

    // Appends one row per dictionary, as insertItem would one by one (the row limit applies).
    // Elements that are not dictionaries are skipped.
    void importFromArray(const QVariantList &array);
    // Imports a property-list file that holds an array. Returns false, leaving the table as it
    // was, for an empty path or a file that cannot be read as such.
    bool importFromPListFile(const QString &path);

    ObjectTableDataSourceDelegate *delegate() const { return _delegate; }
    // Not owned; a delegate that goes away first clears itself with setDelegate(nullptr).
    void setDelegate(ObjectTableDataSourceDelegate *delegate) { _delegate = delegate; }
    bool readOnly() const { return _readOnly; }
    void setReadOnly(bool readOnly);
    // 0 or below: no limit. Setting a limit trims nothing until the next insert.
    int maxItems() const { return _maxItems; }
    void setMaxItems(int maxItems) { _maxItems = maxItems; }

    // The table's selection changed; the view calls this and the delegate hears of it.
    void tableViewSelectionDidChange(const QItemSelectionModel *selection);
    // The drag-and-drop policy is the delegate's; without one, nothing is dragged or dropped.
    bool writeRows(const QList<int> &rows, QMimeData *pasteboard);
    Qt::DropAction validateDrop(const QMimeData *data, Qt::DropAction proposedAction, int proposedRow,
                                TableDropOperation operation);
    bool acceptDrop(const QMimeData *data, Qt::DropAction action, int row, TableDropOperation operation);

    // QAbstractItemModel
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;

private:
    // How many of the oldest rows the row limit drops when `added` rows are appended one by one.
    int rowsTrimmedByAppending(int added) const;
    void removeOldestRows(int rows);
    // order[newRow] is the old row; persistent indexes follow their rows.
    void applyRowOrder(const std::vector<int> &order);
    std::pair<int, TableDropOperation> dropTarget(int row, const QModelIndex &parent) const;

    QList<QVariantMap> _data;
    ObjectTableDataSourceDelegate *_delegate = nullptr;
    bool _readOnly = false;
    int _maxItems = -1;
    QString _lastSortHeader;
    ComparisonType _comparisonType = ComparisonType::NotComparable;
    QStringList _columnIdentifiers;
    QVariantList _columnTitles;
};
