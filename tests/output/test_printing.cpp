#include <QTest>
class TestPrinting : public QObject { Q_OBJECT };
QTEST_MAIN(TestPrinting)
#include "test_printing.moc"
