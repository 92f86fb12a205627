#include <QtTest>
class TestMatchFile : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(TestMatchFile)
#include "tst_matchfile.moc"
