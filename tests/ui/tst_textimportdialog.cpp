// The text import window: what OK and Enter do, the refusals that keep it open, the encoding
// it reads a file in, and a fresh, modal window at each opening from the main window.
#include "core/Cp932.h"
#include "support/logic/SheetBuilder.h"
#include "support/ui/Controls.h"
#include "support/ui/FakeDialogs.h"
#include "ui/MainWindow.h"
#include "ui/TextImportDialog.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

class TestTextImportDialog : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    const QString poem_ = writeTestFile(dir_.path(), u"poem.txt"_s, Cp932::encode(u"春a\r\nb c", {}));

    // Rows 1 and 2, columns 1 to 4, rows joined by "/", cells by "|".
    static QString cells(MainWindow &main)
    {
        QString cells;
        for (int i = 0; i < 8; ++i)
            cells += main.sheet().getCellText(i % 4 + 1, i / 4 + 1) + u"|||/|||"_s.mid(i, 1);
        return cells;
    }

private slots:
    // Enter on a control, with a path typed or a file of those bytes, and the answers to the
    // UTF-8 question: closed?, choosers and questions asked, cells, each error message's first lines.
    void enterOnEachControlAndEachEncoding_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("bytes"); // when not null, the path is a file of them
        QTest::addColumn<QList<Answer>>("replies");
        QTest::addColumn<QString>("outcome");

        const QString ok = u"cmdOK"_s;
        const QString kept = u"0 0 0 Q|||/|||"_s;
        const QList<Answer> none;
        const QByteArray utf8 = u"春a\r\nb😀"_s.toUtf8();
        const QByteArray notAFile;
        const QString asUtf8 = u"春|a||/b|😀||"_s;
        QTest::newRow("Enter in the path") << u"txtPath"_s << poem_ << notAFile << none << u"1 0 0 春|a||/b |c||"_s;
        // The chooser cancelled, the path stays as typed.
        QTest::newRow("Enter on browse") << u"cmdRef"_s << poem_ << notAFile << none << u"0 1 0 Q|||/|||"_s;
        QTest::newRow("Enter on Cancel") << u"cmdCancel"_s << poem_ << notAFile << none << u"1 0 0 Q|||/|||"_s;
        QTest::newRow("no path") << ok << QString() << notAFile << none << kept + u" ファイルを選択して下さい"_s;
        // This file fails from its first byte on, before any text is cleared.
        QTest::newRow("read failure") << ok << u"/proc/self/mem"_s << notAFile << none
                                      << kept + u" 読み込みエラー\r\n/proc/self/mem"_s;
        QTest::newRow("UTF-8, read as UTF-8") << ok << QString() << utf8 << QList {Answer::Yes} << u"1 0 1 "_s + asUtf8;
        // 春 in UTF-8 is 譏 and ･ in Shift_JIS; the emoji's are a private-use character and one invalid pair.
        QTest::newRow("UTF-8, read as Shift_JIS")
            << ok << QString() << utf8 << QList {Answer::No} << u"1 0 1 譏|･a||/b|\uE05E|\uFFFD|"_s;
        QTest::newRow("UTF-8, cancelled") << ok << QString() << utf8 << QList {Answer::Cancel} << u"0 0 1 Q|||/|||"_s;
        QTest::newRow("Enter on the encoding, UTF-8 chosen")
            << u"cmbEncoding"_s << QString() << utf8 << none << u"1 0 0 "_s + asUtf8;
        QTest::newRow("byte order mark") << ok << QString() << "\xEF\xBB\xBF"_ba + utf8 << none << u"1 0 0 "_s + asUtf8;
    }

    void enterOnEachControlAndEachEncoding()
    {
        QFETCH(QString, control);
        QFETCH(QString, path);
        QFETCH(QByteArray, bytes);
        QFETCH(QList<Answer>, replies);
        QFETCH(QString, outcome);
        if (!bytes.isNull())
            path = writeTestFile(dir_.path(), u"encoded.txt"_s, bytes);

        FakeDialogs dialogs;
        dialogs.replies = replies;
        MainWindow main(dialogs);
        main.sheet().setCellText(1, 1, u"Q"_s);
        TextImportDialog window(main.document(), dialogs, &main);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClicks(findControl<QLineEdit>(window, "txtPath"), path);
        auto *pressed = window.findChild<QWidget *>(control);
        if (auto *encodings = qobject_cast<QComboBox *>(pressed))
            encodings->setCurrentIndex(encodings->findText(u"UTF-8"_s));
        pressed->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), pressed);
        QTest::keyClick(pressed, Qt::Key_Return);

        QCOMPARE(findControl<QLineEdit>(window, "txtPath")->text(), path); // as typed, to be corrected
        QString seen
            = u"%1 %2 %3 "_s.arg(!window.isVisible()).arg(dialogs.requests.size()).arg(dialogs.questions.size())
            + cells(main);
        for (const ShownMessage &m : dialogs.messages)
            seen += u' ' + (m.icon == MessageIcon::Error ? m.text.section(u"\r\n"_s, 0, 1) : u"no icon"_s);
        QCOMPARE(seen, outcome);
    }

    // The menu opens a fresh modal window, the path empty and in focus, the options cleared;
    // they steer the pouring on OK.
    void openedFreshFromTheMenuAndSteeredByItsOptions()
    {
        FakeDialogs dialogs;
        MainWindow main(dialogs);
        main.sheet().setCellColors(1, 1, 0x0000FF, 0);
        findControl<QLineEdit>(main, "txtBGcolor")->setText(u"#ff0000"_s);
        QTimer::singleShot(0, [&] {
            auto *window = qobject_cast<TextImportDialog *>(QApplication::activeModalWidget());
            QVERIFY(window);
            const auto closeAtLast = qScopeGuard([window] { // never hang in its loop
                if (window->isVisible())
                    window->reject();
            });
            auto *path = findControl<QLineEdit>(*window, "txtPath");
            QCOMPARE(window->parentWidget(), &main);
            QCOMPARE(window->focusWidget(), path);
            QCOMPARE(path->text(), QString());
            for (const char *name : {"rdoText1", "chkBackSkip", "chkSpaceSkip"}) {
                auto *option = findControl<QAbstractButton>(*window, name);
                QVERIFY(!option->isChecked());
                option->setChecked(true);
            }
            path->setText(poem_);
            QTest::mouseClick(findControl<QPushButton>(*window, "cmdOK"), Qt::LeftButton);
        });
        findControl<QAction>(main, "ImportText")->trigger();
        QCOMPARE(cells(main), u"|春|a|bc/|||"_s); // flowed past the red background cell, the blank removed
        QVERIFY(main.findChildren<TextImportDialog *>().isEmpty()); // the next opening starts afresh
    }
};

QTEST_MAIN(TestTextImportDialog)
#include "tst_textimportdialog.moc"
