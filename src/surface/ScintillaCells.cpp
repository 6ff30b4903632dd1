#include "ScintillaSurface.h"

#include <algorithm>
#include <cstring>

QByteArrayView ScintillaSurface::Cells::utf8() const
{
    const long length = m_view->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    const char *bytes = reinterpret_cast<const char *>(m_view->SendScintilla(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
    return QByteArrayView(bytes, qsizetype(length));
}

QByteArray ScintillaSurface::Cells::styleIds(int start, int length) const
{
    QByteArray ids(length, '\0');
    if (length <= 0)
        return ids;
    // The widget hands out byte and style interleaved.
    QByteArray cells(2 * qsizetype(length) + 2, '\0');
    m_view->SendScintilla(QsciScintillaBase::SCI_GETSTYLEDTEXT, long(start), long(start + length), cells.data());
    char *out = ids.data();
    const char *in = cells.constData();
    for (int i = 0; i < length; ++i)
        out[i] = in[2 * i + 1];
    return ids;
}

void ScintillaSurface::Cells::setStyleIds(const QByteArray &ids)
{
    m_view->SendScintilla(QsciScintillaBase::SCI_STARTSTYLING, 0UL, 0L);
    m_view->SendScintilla(QsciScintillaBase::SCI_SETSTYLINGEX, static_cast<unsigned long>(ids.size()), ids.constData());
}

QByteArray ScintillaSurface::Cells::utf8Range(qsizetype from, qsizetype length) const
{
    const long total = m_view->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    from = std::clamp<qsizetype>(from, 0, total);
    length = std::clamp<qsizetype>(length, 0, total - from);
    QByteArray out(length, Qt::Uninitialized);
    // Each side of the gap read on its own: reading across it would move it.
    const qsizetype gap = std::clamp<qsizetype>(m_view->SendScintilla(QsciScintillaBase::SCI_GETGAPPOSITION), 0, total);
    qsizetype at = from;
    while (at < from + length) {
        const qsizetype stop = at < gap ? std::min(gap, from + length) : from + length;
        const auto *data = reinterpret_cast<const char *>(m_view->SendScintilla(
            QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(at), long(stop - at)));
        std::memcpy(out.data() + (at - from), data, std::size_t(stop - at));
        at = stop;
    }
    return out;
}

QMetaObject::Connection
ScintillaSurface::Cells::onModified(std::function<void(int position, StyleChanges kind, int length)> handler)
{
    return QObject::connect(
        m_view, &QsciScintillaBase::SCN_MODIFIED, m_view,
        [handler = std::move(handler)](int position, int type, const char *, int length, int, int, int, int, int, int) {
            StyleChanges kind;
            kind.setFlag(StyleChange::Insert, type & QsciScintillaBase::SC_MOD_INSERTTEXT);
            kind.setFlag(StyleChange::Remove, type & QsciScintillaBase::SC_MOD_DELETETEXT);
            kind.setFlag(StyleChange::Style, type & QsciScintillaBase::SC_MOD_CHANGESTYLE);
            kind.setFlag(StyleChange::BeforeInsert, type & QsciScintillaBase::SC_MOD_BEFOREINSERT);
            kind.setFlag(StyleChange::BeforeRemove, type & QsciScintillaBase::SC_MOD_BEFOREDELETE);
            if (kind)
                handler(position, kind, length);
        });
}
