// UTF-8 decoding: each ill-formed sequence replaced and counted. Pieces cut mid-character are the
// pouring's test, which reads files a few bytes at a time.
#include "text/TextEncoding.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestTextEncoding : public QObject {
    Q_OBJECT

private slots:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("invalid");

        QTest::newRow("two, three and four bytes")
            << QByteArray("\xC3\xA9\xE6\x98\xA5\xF0\x9F\x98\x80") << u"é春😀"_s << qsizetype(0);
        QTest::newRow("highest code point") << QByteArray("\xF4\x8F\xBF\xBF") << u"\U0010FFFF"_s << qsizetype(0);
        QTest::newRow("overlong") << QByteArray("\xC0\xAF\xE0\x80\xAF") << QString(5, QChar(0xFFFD)) << qsizetype(5);
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80z") << u"\uFFFD\uFFFD\uFFFDz"_s << qsizetype(3);
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << QString(4, QChar(0xFFFD)) << qsizetype(4);
        QTest::newRow("stray trailing byte") << QByteArray("\xA5\xE6\x98\xA5") << u"\uFFFD春"_s << qsizetype(1);
    }

    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(qsizetype, invalid);

        qsizetype counted = -1;
        QCOMPARE(Utf8::decode(bytes, &counted), text);
        QCOMPARE(counted, invalid);
    }
};

QTEST_GUILESS_MAIN(TestTextEncoding)
#include "tst_textencoding.moc"
