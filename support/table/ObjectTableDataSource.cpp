#include "support/table/ObjectTableDataSource.h"

#include "platform/PropertyList.h"

#include <QDebug>
#include <QItemSelectionModel>
#include <QMimeData>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>
#include <vector>

namespace {

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Float:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

bool isFloatingPoint(const QVariant &value)
{
    return value.typeId() == QMetaType::Float || value.typeId() == QMetaType::Double;
}

bool isUnsignedInteger(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

template <typename T>
int threeWay(const T &left, const T &right)
{
    return left < right ? -1 : (right < left ? 1 : 0);
}

// Integers compare exactly, whatever their width and signedness; with a fraction involved the
// comparison is in long double, which holds every 64-bit integer. NaN compares equal to all.
int compareNumbers(const QVariant &left, const QVariant &right)
{
    if (isFloatingPoint(left) || isFloatingPoint(right)) {
        const auto asLongDouble = [](const QVariant &value) -> long double {
            if (isFloatingPoint(value))
                return value.toDouble();
            if (isUnsignedInteger(value))
                return static_cast<long double>(value.toULongLong());
            return static_cast<long double>(value.toLongLong());
        };
        return threeWay(asLongDouble(left), asLongDouble(right));
    }
    const bool leftUnsigned = isUnsignedInteger(left);
    const bool rightUnsigned = isUnsignedInteger(right);
    if (leftUnsigned && rightUnsigned)
        return threeWay(left.toULongLong(), right.toULongLong());
    if (!leftUnsigned && !rightUnsigned)
        return threeWay(left.toLongLong(), right.toLongLong());
    if (leftUnsigned) {
        const qulonglong l = left.toULongLong();
        const qlonglong r = right.toLongLong();
        return std::cmp_less(l, r) ? -1 : (std::cmp_less(r, l) ? 1 : 0);
    }
    const qlonglong l = left.toLongLong();
    const qulonglong r = right.toULongLong();
    return std::cmp_less(l, r) ? -1 : (std::cmp_less(r, l) ? 1 : 0);
}

ObjectTableDataSource::ComparisonType comparisonTypeOf(const QVariant &value)
{
    if (value.typeId() == QMetaType::QString)
        return ObjectTableDataSource::ComparisonType::Strings;
    if (isNumber(value))
        return ObjectTableDataSource::ComparisonType::Numbers;
    return ObjectTableDataSource::ComparisonType::NotComparable;
}

// The column sorter: "same" for a missing value, for a value of another kind than the sort
// compares, and for a sort that compares nothing. Only a stable sort may be given such an
// order, which is not a strict weak one.
int compareColumnValues(const QVariant &left, const QVariant &right, ObjectTableDataSource::ComparisonType type)
{
    using ComparisonType = ObjectTableDataSource::ComparisonType;
    if (!left.isValid() || !right.isValid())
        return 0;
    switch (type) {
    case ComparisonType::Strings:
        if (left.typeId() != QMetaType::QString || right.typeId() != QMetaType::QString)
            return 0;
        return threeWay(QString::compare(left.toString(), right.toString(), Qt::CaseSensitive), 0);
    case ComparisonType::Numbers:
        if (!isNumber(left) || !isNumber(right))
            return 0;
        return compareNumbers(left, right);
    case ComparisonType::NotComparable:
        break;
    }
    return 0;
}

// Equality as the platform's objects see it: numbers by value whatever their type, anything else
// only with a value of its own type. QVariant alone would find the text "1" equal to 1.
bool sameObject(const QVariant &left, const QVariant &right)
{
    if (isNumber(left) && isNumber(right)) {
        const auto isNaN = [](const QVariant &value) { return isFloatingPoint(value) && std::isnan(value.toDouble()); };
        return !isNaN(left) && !isNaN(right) && compareNumbers(left, right) == 0;
    }
    return left.typeId() == right.typeId() && left == right;
}

bool isDictionary(const QVariant &value)
{
    return value.typeId() == QMetaType::QVariantMap || value.typeId() == QMetaType::QVariantHash;
}

} // namespace

ObjectTableDataSource::ObjectTableDataSource(QObject *parent) : QAbstractTableModel(parent) {}

ObjectTableDataSource::~ObjectTableDataSource() = default;

void ObjectTableDataSource::setColumnIdentifiers(const QStringList &identifiers)
{
    beginResetModel();
    _columnIdentifiers = identifiers;
    _columnTitles = QVariantList(identifiers.size());
    endResetModel();
}

int ObjectTableDataSource::columnForIdentifier(const QString &identifier) const
{
    return static_cast<int>(_columnIdentifiers.indexOf(identifier));
}

int ObjectTableDataSource::insertItem(int index)
{
    if (_maxItems > 0 && count() > _maxItems)
        removeOldestRows(1);
    // After the trim an index that was the end lies one past it.
    const int row = index < 0 || index > count() ? count() : index;
    beginInsertRows(QModelIndex(), row, row);
    _data.insert(row, QVariantMap());
    endInsertRows();
    return row;
}

void ObjectTableDataSource::removeItem(int row)
{
    if (row < 0 || row >= count()) {
        qWarning("ObjectTableDataSource::removeItem: no row %d in a table of %d", row, count());
        return;
    }
    beginRemoveRows(QModelIndex(), row, row);
    _data.removeAt(row);
    endRemoveRows();
}

void ObjectTableDataSource::removeItems(QList<int> rows)
{
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.removeIf([this](int row) { return row < 0 || row >= count(); });
    // From the end, so the rows still to go keep their numbers; one notification per run.
    qsizetype start = 0;
    while (start < rows.size()) {
        qsizetype end = start + 1;
        while (end < rows.size() && rows[end] == rows[end - 1] - 1)
            ++end;
        const int first = rows[end - 1];
        const int last = rows[start];
        beginRemoveRows(QModelIndex(), first, last);
        _data.remove(first, last - first + 1);
        endRemoveRows();
        start = end;
    }
}

void ObjectTableDataSource::removeAllItems()
{
    if (_data.isEmpty())
        return;
    beginRemoveRows(QModelIndex(), 0, count() - 1);
    _data.clear();
    endRemoveRows();
}

void ObjectTableDataSource::removeOldestRows(int rows)
{
    if (rows <= 0)
        return;
    beginRemoveRows(QModelIndex(), 0, rows - 1);
    _data.remove(0, rows);
    endRemoveRows();
}

QVariant ObjectTableDataSource::itemObject(int row, const QString &columnIdentifier) const
{
    if (row < 0 || row >= count())
        return QVariant();
    return _data[row].value(columnIdentifier);
}

void ObjectTableDataSource::setItemObject(const QVariant &object, int row, const QString &columnIdentifier)
{
    if (row < 0 || row >= count()) {
        qWarning("ObjectTableDataSource::setItemObject: no row %d in a table of %d", row, count());
        return;
    }
    if (object.isValid())
        _data[row].insert(columnIdentifier, object);
    else
        _data[row].remove(columnIdentifier);
    const int column = columnForIdentifier(columnIdentifier);
    if (column >= 0) {
        const QModelIndex changed = index(row, column);
        emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
    }
}

int ObjectTableDataSource::findItemObjectRow(const QVariant &object, const QString &columnIdentifier) const
{
    for (int row = 0; row < count(); ++row) {
        const auto value = _data[row].constFind(columnIdentifier);
        if (value != _data[row].constEnd() && sameObject(*value, object))
            return row;
    }
    return -1;
}

std::optional<QVariantList> ObjectTableDataSource::getObjectsInColumnAsArray(const QString &columnIdentifier) const
{
    QVariantList values;
    for (const QVariantMap &row : _data) {
        const auto value = row.constFind(columnIdentifier);
        if (value != row.constEnd())
            values.append(*value);
    }
    if (values.isEmpty())
        return std::nullopt;
    return values;
}

void ObjectTableDataSource::sortDataByColumnIdentifier(const QString &columnIdentifier)
{
    if (columnIdentifier.isEmpty() || _data.isEmpty())
        return;
    _lastSortHeader = columnIdentifier;
    _comparisonType = ComparisonType::NotComparable;
    const auto first = _data.first().constFind(columnIdentifier);
    if (first == _data.first().constEnd())
        return;
    _comparisonType = comparisonTypeOf(*first);
    // Every pair would compare "same", and a stable sort of such rows changes nothing.
    if (_comparisonType == ComparisonType::NotComparable)
        return;

    // Each row's value is looked up once rather than at every comparison.
    std::vector<QVariant> keys;
    keys.reserve(_data.size());
    for (const QVariantMap &row : std::as_const(_data))
        keys.push_back(row.value(columnIdentifier));
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    const ComparisonType type = _comparisonType;
    std::stable_sort(order.begin(), order.end(), [&keys, type](int left, int right) {
        return compareColumnValues(keys[left], keys[right], type) < 0;
    });
    applyRowOrder(order);
}

void ObjectTableDataSource::sortData(const RowLess &less)
{
    std::vector<int> order(_data.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this, &less](int left, int right) {
        return less(_data[left], _data[right]);
    });
    applyRowOrder(order);
}

void ObjectTableDataSource::applyRowOrder(const std::vector<int> &order)
{
    bool unchanged = true;
    for (size_t row = 0; row < order.size() && unchanged; ++row)
        unchanged = order[row] == static_cast<int>(row);
    if (unchanged)
        return;

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOfOldRow(order.size());
    QList<QVariantMap> sorted;
    sorted.reserve(_data.size());
    for (size_t newRow = 0; newRow < order.size(); ++newRow) {
        newRowOfOldRow[order[newRow]] = static_cast<int>(newRow);
        sorted.append(std::move(_data[order[newRow]]));
    }
    _data = std::move(sorted);

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &old : before)
        after.append(index(newRowOfOldRow[old.row()], old.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int ObjectTableDataSource::rowsTrimmedByAppending(int added) const
{
    if (_maxItems <= 0 || added <= 0)
        return 0;
    // Inserts trim nothing until the table holds limit + 1 rows; from then on each one trims
    // exactly one row.
    const int untrimmedInserts = std::max(0, _maxItems + 1 - count());
    return std::max(0, added - untrimmedInserts);
}

void ObjectTableDataSource::importFromArray(const QVariantList &array)
{
    QList<QVariantMap> rows;
    rows.reserve(array.size());
    for (const QVariant &element : array) {
        if (isDictionary(element))
            rows.append(element.toMap());
    }
    // One notification for the trim and one for the rows, with the same result as inserting
    // the rows one by one: the limit always drops the oldest rows, first the table's own.
    const int trimmed = rowsTrimmedByAppending(static_cast<int>(rows.size()));
    const int trimmedFromTable = std::min(trimmed, count());
    const int trimmedFromArray = trimmed - trimmedFromTable;
    removeOldestRows(trimmedFromTable);
    if (trimmedFromArray >= rows.size())
        return;
    const int first = count();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - trimmedFromArray - 1);
    _data.append(rows.mid(trimmedFromArray));
    endInsertRows();
}

bool ObjectTableDataSource::importFromPListFile(const QString &path)
{
    if (path.isEmpty())
        return false;
    QString problem;
    const std::optional<QVariant> list = PropertyList::readFile(path, &problem);
    if (!list) {
        qWarning().noquote() << "ObjectTableDataSource: no rows imported from" << problem;
        return false;
    }
    if (list->typeId() != QMetaType::QVariantList) {
        qWarning().noquote() << "ObjectTableDataSource: no rows imported from" << path
                             << "because it does not hold an array";
        return false;
    }
    importFromArray(list->toList());
    return true;
}

void ObjectTableDataSource::setReadOnly(bool readOnly)
{
    _readOnly = readOnly;
}

void ObjectTableDataSource::tableViewSelectionDidChange(const QItemSelectionModel *selection)
{
    if (_delegate)
        _delegate->tableViewSelectionDidChange(this, selection);
}

bool ObjectTableDataSource::writeRows(const QList<int> &rows, QMimeData *pasteboard)
{
    if (!_delegate)
        return false;
    return _delegate->tableViewWriteRows(this, rows, pasteboard).value_or(false);
}

Qt::DropAction ObjectTableDataSource::validateDrop(const QMimeData *data, Qt::DropAction proposedAction,
                                                   int proposedRow, TableDropOperation operation)
{
    if (!_delegate)
        return Qt::IgnoreAction;
    return _delegate->tableViewValidateDrop(this, data, proposedAction, proposedRow, operation)
        .value_or(Qt::IgnoreAction);
}

bool ObjectTableDataSource::acceptDrop(const QMimeData *data, Qt::DropAction action, int row,
                                       TableDropOperation operation)
{
    if (!_delegate)
        return false;
    return _delegate->tableViewAcceptDrop(this, data, action, row, operation).value_or(false);
}

int ObjectTableDataSource::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int ObjectTableDataSource::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(_columnIdentifiers.size());
}

QVariant ObjectTableDataSource::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    return _data[index.row()].value(_columnIdentifiers[index.column()]);
}

bool ObjectTableDataSource::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || _readOnly || !index.isValid()
        || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    const QString columnIdentifier = _columnIdentifiers[index.column()];
    const int row = index.row();
    setItemObject(value, row, columnIdentifier);
    if (_delegate)
        _delegate->tableViewSetObjectValue(this, value, columnIdentifier, row);
    return true;
}

QVariant ObjectTableDataSource::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        if (role != Qt::DisplayRole || section < 0 || section >= _columnTitles.size())
            return QVariant();
        return _columnTitles[section];
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool ObjectTableDataSource::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role)
{
    if (orientation != Qt::Horizontal || (role != Qt::EditRole && role != Qt::DisplayRole) || section < 0
        || section >= _columnTitles.size())
        return false;
    _columnTitles[section] = value;
    emit headerDataChanged(orientation, section, section);
    return true;
}

Qt::ItemFlags ObjectTableDataSource::flags(const QModelIndex &index) const
{
    // Drops between rows and below the last one arrive on the root.
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled
                          | Qt::ItemNeverHasChildren;
    if (!_readOnly)
        flags |= Qt::ItemIsEditable;
    return flags;
}

Qt::DropActions ObjectTableDataSource::supportedDragActions() const
{
    return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
}

Qt::DropActions ObjectTableDataSource::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
}

QMimeData *ObjectTableDataSource::mimeData(const QModelIndexList &indexes) const
{
    QList<int> rows;
    for (const QModelIndex &index : indexes)
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    auto pasteboard = std::make_unique<QMimeData>();
    // Qt asks for the drag data through a const function; the delegate sees the model it owns.
    if (!const_cast<ObjectTableDataSource *>(this)->writeRows(rows, pasteboard.get()))
        return nullptr;
    return pasteboard.release();
}

std::pair<int, TableDropOperation> ObjectTableDataSource::dropTarget(int row, const QModelIndex &parent) const
{
    if (parent.isValid())
        return {parent.row(), TableDropOperation::On};
    if (row >= 0)
        return {row, TableDropOperation::Above};
    return {count(), TableDropOperation::Above};
}

bool ObjectTableDataSource::canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int,
                                            const QModelIndex &parent) const
{
    const auto [proposedRow, operation] = dropTarget(row, parent);
    return const_cast<ObjectTableDataSource *>(this)->validateDrop(data, action, proposedRow, operation)
           != Qt::IgnoreAction;
}

bool ObjectTableDataSource::dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int,
                                         const QModelIndex &parent)
{
    const auto [dropRow, operation] = dropTarget(row, parent);
    return acceptDrop(data, action, dropRow, operation);
}
