#pragma once

#include "FileMatcher.h"

#include <QAbstractListModel>
#include <QStyledItemDelegate>

#include <vector>

// The results of a find in files, grouped by file: a header row per file, then one row per
// matching line, "path:line:column: text".
class FileResultsModel : public QAbstractListModel {
    Q_OBJECT
public:
    // Beyond this many lines the list stops growing; the counts go on.
    static constexpr int MaxListedLines = 100000;
    enum Role { PathRole = Qt::UserRole, LineRole, ColumnRole, MarksRole, PrefixRole, HeaderRole };

    explicit FileResultsModel(QObject *parent = nullptr);

    // Paths are shown relative to this folder.
    void reset(const QString &folder);
    void append(const QList<FileHits> &batch);
    bool truncated() const { return m_truncated; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    struct Row {
        int file;
        int hit;        // -1: the file's header
    };
    QString shownPath(int file) const;

    QString m_folder;
    std::vector<FileHits> m_files;
    std::vector<Row> m_rows;
    int m_lines = 0;
    bool m_truncated = false;
};

// Paints a result row with its matches marked.
class FileResultDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
