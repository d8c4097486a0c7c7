// The PDF of a song: Qt writes it beside the target, and it takes the target's place only
// when whole, so a full disk leaves no empty file and no lost older one.
#include "FileFaultSupport.h"
#include "TestSupport.h"
#include "ui/print/ScorePrinter.h"
#include <QFileInfo>

class TestPdfFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fullDisk_data()
    {
        QTest::addColumn<bool>("hadOld");
        QTest::newRow("replacing a PDF") << true;
        QTest::newRow("a new PDF") << false;
    }
    void fullDisk()
    {
#ifndef Q_OS_UNIX
        QSKIP("needs a file size limit");
#else
        QFETCH(bool, hadOld);
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("小歌.pdf"));
        if (hadOld)
            QVERIFY(WriteFileBytes(target, "%PDF old"));
        const QStringList before = FolderEntries(dir.path());
        QString raised;
        {
            const FullDisk full(2048);
            QVERIFY(full.ok());
            try {
                ScorePrinter::WritePdf(target, SongFromTable(SmallSong(), 1));
            } catch (const TavoError& e) {
                raised = e.text();
            }
        }
        QVERIFY2(raised.startsWith(QStringLiteral("无法写入文件")) && raised.contains(QStringLiteral("小歌.pdf")),
                 qPrintable(raised));
        QCOMPARE(FolderEntries(dir.path()), before);
        if (hadOld)
            QCOMPARE(ReadBack(target), QByteArray("%PDF old"));

        // With room the same PDF is written whole, over the old one.
        QCOMPARE(ScorePrinter::WritePdf(target, SongFromTable(SmallSong(), 1)), 1);
        const QByteArray pdf = ReadBack(target);
        QVERIFY(pdf.startsWith("%PDF-") && pdf.trimmed().endsWith("%%EOF"));
        QCOMPARE(FolderEntries(dir.path()), QStringList{QStringLiteral("小歌.pdf")});
#endif
    }
};

TAVO_TEST_MAIN(TestPdfFile)
#include "test_pdf_file.moc"
