// The image view window: the imported picture at its natural size, scrolled where the screen
// is too small for it, and under it the To Grid button and the block size that cut the
// picture into the main window's grid.
#pragma once

#include "ui/PictureLayout.h"

#include <QImage>
#include <QMargins>
#include <QWidget>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class Dialogs;
class Document;
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
    // Owned by a window (the main window), beside which it is placed; To Grid changes the
    // document's sheet.
    PictureWindow(Document &document, Dialogs &dialogs, QWidget &owner);

    // True from showPicture() until the window is closed.
    bool isPictureLoaded() const { return pictureLoaded_; }

    // Shows the picture and fits the window to it.
    void showPicture(const QImage &picture, const QString &title);

    // Fits the window and the row of controls to the picture box's current size, within the
    // room on the window's screen.
    void fitToPicture();

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
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    PictureLayout::RowNeeds rowNeeds() const;
    QMargins frameOrGuess() const;
    void layOut();
    void keepOnScreen();
    void correctFrameGuess();
    void forgetPicture();

    Document &document_;
    Dialogs &dialogs_;
    QWidget &owner_;
    bool pictureLoaded_ = false;
    QScrollArea *pictureArea_ = nullptr;
    PictureBox *pictureBox_ = nullptr;
    QPushButton *toGridButton_ = nullptr;
    QLabel *blockSizeLabel_ = nullptr;
    QLineEdit *blockSizeEdit_ = nullptr;
    PictureLayout::Fit fit_;
    // The frame fitToPicture assumed while the window was hidden, until the real one is known.
    std::optional<QMargins> frameGuess_;
};
