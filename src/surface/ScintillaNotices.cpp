#include "ScintillaSurface.h"

#include "Utf8Units.h"

void ScintillaSurface::onModified(int position, int type, const char *text, int length)
{
    if (m_replacingAll)
        return;
    if (type & (QsciScintillaBase::SC_MOD_BEFOREINSERT | QsciScintillaBase::SC_MOD_BEFOREDELETE))
        settleCopies();
    if ((type & QsciScintillaBase::SC_MOD_BEFOREDELETE) && m_utf16Index)
        m_units.deleting(position, length, m_read);
    if (!(type & (QsciScintillaBase::SC_MOD_INSERTTEXT | QsciScintillaBase::SC_MOD_DELETETEXT)))
        return;
    invalidateCaches();
    if (type & QsciScintillaBase::SC_MOD_INSERTTEXT) {
        const char *inserted = text ? text : m_read(position, length);
        if (m_utf16Index) {
            m_units.inserted(position, inserted, length, m_read);
        } else if (!isAsciiBytes(inserted, length)) {
            // The index counts the whole text, this piece included.
            ensureUtf16Index();
        }
    } else if (m_utf16Index) {
        m_units.deleted();
    }
    const int first = int(send(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position)));
    const int last = (type & QsciScintillaBase::SC_MOD_INSERTTEXT)
        ? int(send(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position + length)))
        : first;
    emit m_view->linesChanged(first, last);
    if (m_events)
        m_events->surfaceChange();
}

void ScintillaSurface::onUpdateUi(int updated)
{
    if (!m_events)
        return;
    if (updated & QsciScintillaBase::SC_UPDATE_SELECTION)
        m_events->surfaceSelectionChanged();
    if (updated & (QsciScintillaBase::SC_UPDATE_V_SCROLL | QsciScintillaBase::SC_UPDATE_H_SCROLL))
        m_events->surfaceScrolled();
}
