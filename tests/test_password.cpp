#include "CoreTestSupport.h"
#include "core/library/Password.h"
#include <QRegularExpression>

class TestPassword : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void knownVectors_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ten letters") << QByteArray("abcdefghij") << QByteArray("Tavopi") << "9EF33E02AFF0F22EB23E";
        QTest::newRow("digits, short key") << QByteArray("0123456789") << QByteArray("Key") << "9C197B0A8B99786D868E";
        QTest::newRow("one byte") << QByteArray("A") << QByteArray("Zz") << "9C1";
        QTest::newRow("empty source") << QByteArray() << QByteArray("Zz") << "9";
    }
    void knownVectors()
    {
        QFETCH(QByteArray, source);
        QFETCH(QByteArray, key);
        QFETCH(QString, expected);
        QCOMPARE(KeyedHexEncode(source, key), expected);
    }

    void derivationFromDefaultKey()
    {
        QCOMPARE(QByteArray(DefaultEncodeKey), QByteArray("Melody"));
        QCOMPARE(DeriveDatabasePassword("QwErTyUiOpAsDfG"), QStringLiteral("9D259C27B9670F23CEC5"));
        QCOMPARE(DeriveDatabasePassword(QByteArray()), QString());
    }

    // An empty key means the default key; a short key is used over again from its
    // first character, exactly as if it had been written out in full.
    void keyRulesFromOutside()
    {
        const QByteArray src("The quick brown fox");
        QCOMPARE(KeyedHexEncode(src, QByteArray()), KeyedHexEncode(src, QByteArray(DefaultEncodeKey)));
        QCOMPARE(KeyedHexEncode(src, "Key"), KeyedHexEncode(src, "KeyKeyKeyKeyKeyKeyKey"));
        QCOMPARE(KeyedHexEncode(src, "ab"), KeyedHexEncode(src, "abababababababababab"));
        QVERIFY(KeyedHexEncode(src, "Key") != KeyedHexEncode(src, "Kez"));
        QVERIFY(KeyedHexEncode(src, "Key") != KeyedHexEncode(src, "yeK"));
        // Bytes above 127 count as unsigned.
        QCOMPARE(KeyedHexEncode(QByteArray("\xff"), "A"), QStringLiteral("91B"));
    }

    void outputLength_data()
    {
        QTest::addColumn<int>("n");
        for (int n : {0, 1, 2, 5, 9, 10, 11, 15, 40})
            QTest::newRow(qPrintable(QString::number(n))) << n;
    }
    void outputLength()
    {
        QFETCH(int, n);
        const QString out = KeyedHexEncode(QByteArray(n, 'x'), "Key");
        QCOMPARE(out.size(), qMin(20, 2 * n + 1));
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9A-F]*$")).match(out).hasMatch());
    }

    // Only positions 3, 8, 7, 1, 2, 4, 9, 14, 13 and 15 of the seed count.
    void seedPositions()
    {
        const QByteArray seed("QwErTyUiOpAsDfG");
        const QString base = DeriveDatabasePassword(seed);
        for (int pos = 1; pos <= 15; ++pos) {
            QByteArray changed = seed;
            changed[pos - 1] = changed[pos - 1] == 'z' ? 'y' : 'z';
            const bool used = QList<int>{3, 8, 7, 1, 2, 4, 9, 14, 13, 15}.contains(pos);
            QCOMPARE(DeriveDatabasePassword(changed) != base, used);
        }
    }

    void programSeed()
    {
        const QByteArray seed(PasswordSeed);
        QCOMPARE(seed.size(), 15);
        QVERIFY(QRegularExpression(QStringLiteral("^[A-Za-z]{15}$")).match(QString::fromLatin1(seed)).hasMatch());
        const QString pw = DeriveDatabasePassword(seed);
        QVERIFY2(QRegularExpression(QStringLiteral("^[0-9A-F]{20}$")).match(pw).hasMatch(), qPrintable(pw));
    }
};

TAVO_CORE_TEST_MAIN(TestPassword)
#include "test_password.moc"
