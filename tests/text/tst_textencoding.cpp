// UTF-8 decoding of whole texts and the unfinished characters that a piece of a file may end in.
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

        QTest::newRow("ASCII and line ends") << QByteArray("ab\r\n\t") << u"ab\r\n\t"_s << qsizetype(0);
        QTest::newRow("two, three and four bytes")
            << QByteArray("\xC3\xA9\xE6\x98\xA5\xF0\x9F\x98\x80") << u"é春😀"_s << qsizetype(0);
        QTest::newRow("highest code point") << QByteArray("\xF4\x8F\xBF\xBF") << u"\U0010FFFF"_s << qsizetype(0);
        QTest::newRow("cut short before ASCII") << QByteArray("\xE6\x98x") << u"\uFFFDx"_s << qsizetype(1);
        QTest::newRow("cut short at the end") << QByteArray("a\xF0\x9F\x98") << u"a\uFFFD"_s << qsizetype(1);
        QTest::newRow("overlong") << QByteArray("\xC0\xAF\xE0\x80\xAF") << u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"_s
                                  << qsizetype(5);
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80z") << u"\uFFFD\uFFFD\uFFFDz"_s << qsizetype(3);
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << u"\uFFFD\uFFFD\uFFFD\uFFFD"_s
                                         << qsizetype(4);
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

    // Only a start that later bytes can still make a character waits for them.
    void incompleteTail_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qsizetype>("tail");

        QTest::newRow("whole character") << QByteArray("a\xE6\x98\xA5") << qsizetype(0);
        QTest::newRow("lead byte") << QByteArray("a\xE6") << qsizetype(1);
        QTest::newRow("three of four") << QByteArray("\xF0\x9F\x98") << qsizetype(3);
        QTest::newRow("ill-formed start") << QByteArray("a\xE0\x80") << qsizetype(0);
        QTest::newRow("lead byte that starts nothing") << QByteArray("a\xF5") << qsizetype(0);
        QTest::newRow("trailing byte alone") << QByteArray("a\x98") << qsizetype(0);
    }

    void incompleteTail()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qsizetype, tail);

        QCOMPARE(Utf8::incompleteTail(bytes), tail);
    }
};

QTEST_GUILESS_MAIN(TestTextEncoding)
#include "tst_textencoding.moc"
