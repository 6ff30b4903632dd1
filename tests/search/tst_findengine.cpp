#include "FindEngine.h"
#include "MemorySurface.h"

#include <QTemporaryDir>
#include <QtTest>

class TstFindEngine : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(TstFindEngine)
#include "tst_findengine.moc"
