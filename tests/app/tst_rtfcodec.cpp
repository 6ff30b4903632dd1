#include "RtfCodec.h"
#include <QtTest>
class tst_RtfCodec : public QObject { Q_OBJECT
private slots:
    void smoke() { CharFormat d; auto s = RtfCodec::write("a\r\nb", {}, d); auto r = RtfCodec::read(s, d); QVERIFY(r); QCOMPARE(r->text, QString("a\r\nb")); }
};
QTEST_GUILESS_MAIN(tst_RtfCodec)
#include "tst_rtfcodec.moc"
