#include <QTest>
class TestClassEditor : public QObject {
    Q_OBJECT
};
QTEST_MAIN(TestClassEditor)
#include "test_classeditor.moc"
