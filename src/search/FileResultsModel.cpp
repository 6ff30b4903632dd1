#include "FileResultsModel.h"

#include <QApplication>
#include <QDir>
#include <QPainter>

FileResultsModel::FileResultsModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

void FileResultsModel::reset(const QString &folder)
{
    beginResetModel();
    m_folder = folder;
    m_files.clear();
    m_rows.clear();
    m_lines = 0;
    m_truncated = false;
    endResetModel();
}

void FileResultsModel::append(const QList<FileHits> &batch)
{
    std::vector<Row> rows;
    for (const FileHits &file : batch) {
        if (m_lines >= MaxListedLines) {
            m_truncated = true;
            break;
        }
        FileHits kept{file.path, file.lines.mid(0, MaxListedLines - m_lines)};
        m_truncated = m_truncated || kept.lines.size() < file.lines.size();
        const int index = int(m_files.size());
        rows.push_back(Row{index, -1});
        for (int i = 0; i < kept.lines.size(); ++i)
            rows.push_back(Row{index, i});
        m_lines += int(kept.lines.size());
        m_files.push_back(std::move(kept));
    }
    if (rows.empty())
        return;
    beginInsertRows(QModelIndex(), int(m_rows.size()), int(m_rows.size() + rows.size()) - 1);
    m_rows.insert(m_rows.end(), rows.begin(), rows.end());
    endInsertRows();
}

int FileResultsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QString FileResultsModel::shownPath(int file) const
{
    const QString &path = m_files.at(size_t(file)).path;
    return m_folder.isEmpty() ? path : QDir(m_folder).relativeFilePath(path);
}

QVariant FileResultsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const Row row = m_rows.at(size_t(index.row()));
    const FileHits &file = m_files.at(size_t(row.file));
    const LineHit &hit = file.lines.at(row.hit < 0 ? 0 : row.hit);
    switch (role) {
    case Qt::DisplayRole:
        if (row.hit < 0)
            return QStringLiteral("%1 (%2)").arg(shownPath(row.file)).arg(file.lines.size());
        return data(index, PrefixRole).toString() + hit.text;
    case PrefixRole:
        return row.hit < 0 ? QString() : QStringLiteral("%1:%2:%3: ").arg(shownPath(row.file)).arg(hit.line).arg(hit.column);
    case HeaderRole:
        return row.hit < 0;
    case PathRole:
        return file.path;
    case LineRole:
        return hit.line;
    case ColumnRole:
        return hit.column;
    case MarksRole: {
        QVariantList marks;
        if (row.hit >= 0)
            for (const LineHit::Mark &mark : hit.marks)
                marks << QPoint(mark.start, mark.length);
        return marks;
    }
    default:
        return {};
    }
}

void FileResultDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString prefix = index.data(FileResultsModel::PrefixRole).toString();
    const QVariantList marks = index.data(FileResultsModel::MarksRole).toList();
    if (index.data(FileResultsModel::HeaderRole).toBool())
        opt.font.setBold(true);
    // Same length, so the marks still fit; a tab would draw as nothing.
    const QString text = QString(opt.text).replace(QLatin1Char('\t'), QLatin1Char(' '));
    opt.text.clear();
    QStyle *style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    painter->save();
    painter->setFont(opt.font);
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget).adjusted(2, 0, -2, 0);
    const QFontMetrics metrics(opt.font);
    const bool selected = opt.state & QStyle::State_Selected;
    const QColor ink = opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    int x = area.left();
    const auto draw = [&](const QString &piece, bool marked) {
        if (piece.isEmpty() || x > area.right())
            return;
        const int width = metrics.horizontalAdvance(piece);
        const QRect box(x, area.top(), width, area.height());
        if (marked) {
            painter->fillRect(box, QColor(255, 214, 0, selected ? 140 : 200));
            painter->setPen(Qt::black);
        } else {
            painter->setPen(ink);
        }
        painter->drawText(box, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, piece);
        x += width;
    };
    if (marks.isEmpty()) {
        draw(text, false);
    } else {
        draw(prefix, false);
        const QString line = text.mid(prefix.size());
        int at = 0;
        for (const QVariant &value : marks) {
            const QPoint mark = value.toPoint();
            if (mark.x() < at)
                continue;
            draw(line.mid(at, mark.x() - at), false);
            draw(line.mid(mark.x(), mark.y()), true);
            at = mark.x() + mark.y();
        }
        draw(line.mid(at), false);
    }
    painter->restore();
}
