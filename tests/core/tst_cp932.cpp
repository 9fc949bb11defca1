// Code page 932 conversion: exact bytes, no silent substitution.
#include "core/Cp932.h"

#include <QTest>

class TestCp932 : public QObject {
    Q_OBJECT
private slots:
    void encodesKnownCharacters()
    {
        QCOMPARE(Cp932::encode(u"春a\u3000ｱ", Cp932::Unencodable::QuestionMark),
            QByteArray("\x8F\x74"
                       "a\x81\x40\xB1"));
        // Windows-31J mappings that plain Shift_JIS lacks.
        QCOMPARE(Cp932::encode(u"\uFF5E\u2460\u2170", Cp932::Unencodable::QuestionMark),
            QByteArray("\x81\x60\x87\x40\xFA\x40"));
    }

    void unencodableFollowsPolicy()
    {
        const QString text = QStringLiteral("aé") + QString::fromUcs4(U"\U0001F600") + u'b';
        QCOMPARE(Cp932::encode(text, Cp932::Unencodable::QuestionMark), QByteArray("a??b"));
        QCOMPARE(Cp932::encode(text, Cp932::Unencodable::NumericReference), QByteArray("a&#233;&#128512;b"));
    }

    void decodesAndReplacesInvalidBytes()
    {
        qsizetype invalid = -1;
        // 0x80, 0xA0 and 0xFD are no characters; 0x85 0x40 is an unmapped pair;
        // a lead byte at the end or before a non-trail byte stands alone.
        QCOMPARE(Cp932::decode("\x80"
                               "a\xA0\xFD\x85\x40"
                               "b\x81\x20"
                               "c\x82",
                     &invalid),
            QStringLiteral("\uFFFDa\uFFFD\uFFFD\uFFFDb\uFFFD c\uFFFD"));
        QCOMPARE(invalid, qsizetype(6));
    }

    void everyDecodedCharacterEncodesBack()
    {
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!Cp932::isLeadByte(quint8(lead)))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                const char bytes[2] = {char(lead), char(trail)};
                qsizetype invalid = 0;
                const QString text = Cp932::decode(QByteArrayView(bytes, 2), &invalid);
                if (invalid != 0)
                    continue;
                // Duplicates may encode to another pair, which decodes to the same character.
                QCOMPARE(Cp932::decode(Cp932::encode(text, Cp932::Unencodable::QuestionMark)), text);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestCp932)
#include "tst_cp932.moc"
