// A list control over a row store, not one widget item per cell: a million
// rows must add, scroll and select smoothly. Its rows are numbers of rows in
// a store that other lists and the export texts may share, so a record's
// texts are held once. It can keep an exact-match index over two columns,
// kept by the control itself on every row added, cell written and list
// emptied, so a lookup costs O(1) and can never go stale.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>
#include <array>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "framework/core/RowStore.h"

namespace fw {

// Hands what `p` holds to a worker thread to be freed there: letting go of a
// million rows must not hold the window.
void ReleaseInBackground(std::shared_ptr<void> p);

class ListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit ListModel(int columns, QObject* parent = nullptr);
  ~ListModel() override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;

  void setHeadings(const QStringList& h);
  void appendRows(int count, const std::function<std::string(int row, int column)>& cell);
  // Rows already in store(), in one insertion. appendNewRows appends only
  // the rows whose indexed cells no row holds yet (nor an earlier one of the
  // same call) and returns them in `added`.
  void appendStoredRows(std::span<const RowStore::Id> rows);
  void appendNewRows(std::span<const RowStore::Id> rows, std::vector<RowStore::Id>& added);
  std::string cell(int row, int column) const;
  std::string_view cellView(int row, int column) const;
  void setCell(int row, int column, const std::string& text);
  void clear();
  // The store rows are kept in; an empty list can be given another one.
  const std::shared_ptr<RowStore>& store() const { return store_; }
  void setStore(std::shared_ptr<RowStore> s);
  void setIndexedColumns(int a, int b);
  bool indexHolds(std::string_view a, std::string_view b) const;

 private:
  class KeyIndex;
  struct Rows {
    ChunkedVector<RowStore::Id> ids;
    std::unique_ptr<KeyIndex> index;
  };
  int columns_;
  std::shared_ptr<RowStore> store_;
  std::shared_ptr<Rows> rows_;
  QStringList headings_;
  int indexA_ = -1, indexB_ = -1;
  void newRows();
};

class Listbox : public QTableView {
  Q_OBJECT
 public:
  explicit Listbox(int columns, QWidget* parent = nullptr);
  ListModel* Model() const { return model_; }

  void AddRow(const std::string& first);
  void AddRows(int count, const std::function<std::string(int row, int column)>& cell);
  std::string Cell(int row, int column) const { return model_->cell(row, column); }
  void SetCell(int row, int column, const std::string& text) { model_->setCell(row, column, text); }
  int LastIndex() const { return model_->rowCount() - 1; }
  int ListIndex() const;  // selected row, -1 when none
  // The row at (x, y), counted from the list's top-left corner (the column
  // headings included); -1 where no row lies.
  int RowFromXY(int x, int y) const;
  // Where the pointer was, from the list's top-left corner, when the last
  // double-click was raised.
  QPoint DoubleClickPoint() const { return doubleClickPoint_; }
  void DeleteAllRows() { model_->clear(); }
  void SetIndexedColumns(int a, int b) { model_->setIndexedColumns(a, b); }
  bool IndexHolds(const std::string& a, const std::string& b) const { return model_->indexHolds(a, b); }
  void SetHeadings(const QStringList& h) { model_->setHeadings(h); }
  void SetColumnWidths(const std::vector<int>& widths);

 signals:
  void Change();
  void DoubleClick();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  ListModel* model_;
  QPoint doubleClickPoint_;
};

}  // namespace fw
