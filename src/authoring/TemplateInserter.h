#pragma once

#include "AuthoringHost.h"

#include <QDateTime>
#include <QString>

class EditorSurface;
class TemplateStore;

// Inserts a template at the caret with its dollar-variables filled in.
class TemplateInserter {
public:
    // What the variables stand for at the moment of the insertion.
    struct Values {
        QString fullFileName;   // "Untitled" for a document never saved
        QDateTime now;
        QString user;
        QString program;
    };
    struct Expanded {
        QString text;
        int caret = -1;         // where the first "$startpos" stood; -1 when there was none
    };

    TemplateInserter(EditorSurface &surface, const TemplateStore &store, AuthoringHost &host);

    // Inserts template index (0 … 9) in place of the selection; an empty template changes nothing.
    void insert(int index);
    void insert(int index, const Values &values);

    // Replaces every variable in one pass, so a value (a path holding "$date", say) is never
    // taken for a variable itself; "$fullfilename" wins over "$filename" at the same spot.
    static Expanded expand(const QString &content, const Values &values);
    static Values currentValues(const QString &fullFileName);
    // The login name of the user running the program.
    static QString loginName();
    // "Orvane v" major "." minor.
    static QString programName();

private:
    EditorSurface &m_surface;
    const TemplateStore &m_store;
    AuthoringHost &m_host;
};
