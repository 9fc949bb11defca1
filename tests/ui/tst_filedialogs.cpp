// The real file choosers, answered by hand as a user answers them.
#include "support/logic/TestFiles.h"
#include "support/ui/Controls.h"
#include "ui/FileChooser.h"
#include "ui/MainWindow.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Answers the next file dialog once it is up: what it shows is noted, then answer() decides.
class DialogAnswer {
public:
    explicit DialogAnswer(std::function<void(QFileDialog &)> answer)
        : answer_(std::move(answer))
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            timer_.stop();
            folder = dialog->directory().absolutePath();
            answer_(*dialog);
        });
        timer_.start();
    }

    QString folder;

private:
    std::function<void(QFileDialog &)> answer_;
    QTimer timer_;
};

} // namespace

class TestFileDialogs : public QObject {
    Q_OBJECT
private slots:
    // Qt's file dialog keeps what it last showed in the user's settings: not the user's.
    void initTestCase()
    {
        QVERIFY(settingsDir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
    }

    // The next chooser, of this window or another, opens in the folder of the last file chosen
    // in this run; a cancel leaves it as it was.
    void reopenInTheFolderLastUsed_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("chosen");
        QTest::addColumn<bool>("sameChooser");

        QTest::newRow("after saving") << true << true << true;
        QTest::newRow("in another window's chooser") << false << true << false;
        QTest::newRow("after a cancel") << false << false << true;
    }

    void reopenInTheFolderLastUsed()
    {
        QFETCH(bool, save);
        QFETCH(bool, chosen);
        QFETCH(bool, sameChooser);

        QTemporaryDir dir;
        const QString folder = QDir(dir.path()).absolutePath();
        const QString existing = writeTestFile(folder, u"poem.txt"_s, "x");
        SystemDialogs dialogs;
        QWidget window;
        const std::unique_ptr<FileChooser> first = dialogs.newFileChooser(&window);
        const std::unique_ptr<FileChooser> other = dialogs.newFileChooser(&window);
        const QString filter = u"テキストファイル (*.txt)|*.txt||"_s;

        QString startFolder;
        {
            DialogAnswer answer([&](QFileDialog &dialog) {
                if (!chosen) {
                    dialog.setDirectory(folder);
                    dialog.reject();
                    return;
                }
                dialog.selectFile(save ? folder + u"/new.txt"_s : existing);
                static_cast<QDialog &>(dialog).accept(); // as the Open or Save button does
            });
            const QString path = save ? first->chooseFileToSave(u"テキストファイルの書き込み"_s, filter)
                                      : first->chooseFileToOpen(u"テキストファイルの読み込み"_s, filter);
            QCOMPARE(path, chosen ? (save ? folder + u"/new.txt"_s : existing) : QString());
            startFolder = answer.folder;
        }
        DialogAnswer again([](QFileDialog &dialog) { dialog.reject(); });
        (sameChooser ? first : other)->chooseFileToOpen(u"テキストファイルの読み込み"_s, filter);
        QCOMPARE(again.folder, chosen ? folder : startFolder);
    }

    // The file kinds the picture chooser offers, in the chooser itself.
    void pictureFileKinds()
    {
        SystemDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QStringList kinds;
        DialogAnswer answer([&kinds](QFileDialog &dialog) {
            auto *list = findControl<QComboBox>(dialog, "fileTypeCombo");
            for (int i = 0; i < list->count(); ++i)
                kinds << list->itemText(i);
            dialog.reject();
        });
        findControl<QAction>(window, "ImportImage")->trigger();
        QCOMPARE(kinds,
            QStringList({u"画像ファイル (*.jpeg, *.jpg, *.gif, *.bmp, *.png)"_s, u"Jpeg (*.jpeg, *.jpg)"_s,
                u"GIF (*.gif)"_s, u"BitMap (*.bmp)"_s}));
    }

private:
    QTemporaryDir settingsDir_;
};

QTEST_MAIN(TestFileDialogs)
#include "tst_filedialogs.moc"
