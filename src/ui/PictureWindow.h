// The image view window: the imported picture at its natural size, and under it the
// To Grid button and the block size that cut the picture into the main window's grid.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class MainWindow;
struct PictureError;
struct ToGridResult;

// Shows one picture from its top-left corner, one screen pixel per picture pixel, and takes
// the picture's size.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);
    void setPicture(const QImage &picture);
    const QImage &picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage picture_;
};

class PictureWindow : public QWidget {
    Q_OBJECT
public:
    // Owned by the main window, whose grid sheet and picture-loaded flag it works on.
    explicit PictureWindow(MainWindow &owner);

    // Shows the picture and fits the window to it.
    void showPicture(const QImage &picture, const QString &title);

    // Fits the window and the row of controls to the picture box's current size.
    void fitToPicture();

    // Where fitToPicture puts things, in twips, for a picture box at boxTwips; the window size
    // is the outer size, frame and title bar included.
    struct Layout {
        QSize window;
        int rowLine = 0;
        QRect button;
        QRect field;
        QRect label;
    };
    static Layout layoutFor(const QRect &boxTwips);

    // The To Grid button's caption before the row rowsDone of rows is painted.
    static QString progressCaption(qint64 rowsDone, qint64 rows);
    // Why To Grid left the sheet alone, for a result that failed with the block size typed.
    static QString toGridErrorText(const ToGridResult &result, const QString &blockSizeText);
    // Why Import Image could not have the picture.
    static QString pictureErrorText(const PictureError &error);

public slots:
    void convertToGrid();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void forgetPicture();

    MainWindow &owner_;
    PictureBox *pictureBox_ = nullptr;
    QPushButton *toGridButton_ = nullptr;
    QLabel *blockSizeLabel_ = nullptr;
    QLineEdit *blockSizeEdit_ = nullptr;
    bool fitWhenShown_ = false; // fitToPicture ran while hidden, before the frame was known
};
