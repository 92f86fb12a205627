#include <QtTest>
class TestEntryPanel : public QObject { Q_OBJECT };
QTEST_MAIN(TestEntryPanel)
#include "tst_entrypanel.moc"
