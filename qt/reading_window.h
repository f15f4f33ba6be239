#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

#include "form/reading_view.h"

class QLabel;
class QScrollArea;
class QVBoxLayout;

namespace trevalune {

/// The picture as Qt draws it: a copy, since the view may go before the window does.
QImage buildQImage(const rowreader::RgbImage& picture);

/// The reading window: a page read from a picture, beside the main window and never modal.
/// The picture as the reader saw it fills the window's width and scrolls; below it each
/// block's verdict, and for a value to take a button ("takeValue1", ... from the top) that
/// reports it. It sends nothing itself.
class ReadingWindow final : public QWidget {
public:
    /// `owner` keeps it above itself and closes it when it goes.
    ReadingWindow(QWidget& owner, std::function<void(const TakeValue&)> taken);

    /// Shows `view` in place of what was shown before.
    void showView(const ReadingView& view);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    /// Beside the main window, right or left, where the screen has room.
    void placeBesideOwner();
    /// The picture scaled to the scroll area's width.
    void fitPicture();

    std::function<void(const TakeValue&)> taken_;
    QImage picture_;
    QScrollArea* scroll_;  ///< owned by this window, as every widget below
    QLabel* pictureLabel_;
    QWidget* verdicts_ = nullptr;
    QVBoxLayout* layout_;
};

}  // namespace trevalune
