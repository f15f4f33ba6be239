#include "qt/reading_window.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <utility>

namespace trevalune {

namespace {

QString qs(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

/// Wide enough for an A4 page's rows and their labels to be read at a glance; narrower, down
/// to kLeastWidth, where that keeps it beside the main window.
constexpr int kWidth = 620;
constexpr int kLeastWidth = 420;
constexpr int kHeight = 760;
constexpr int kGap = 8;  ///< from the main window
/// What a window manager's frame adds, roughly, so that the title bar stays on the screen.
constexpr int kFrameAllowance = 40;

}  // namespace

QImage buildQImage(const rowreader::RgbImage& picture) {
    QImage image(picture.width, picture.height, QImage::Format_RGB888);
    const auto row = static_cast<std::size_t>(picture.width) * 3;
    // QImage's rows are padded to four bytes; the picture's are not.
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(image.scanLine(y), picture.pixels.data() + row * static_cast<std::size_t>(y),
                    row);
    return image;
}

ReadingWindow::ReadingWindow(QWidget& owner, std::function<void(const TakeValue&)> taken)
    : QWidget(&owner, Qt::Window),
      taken_(std::move(taken)),
      scroll_(new QScrollArea(this)),
      pictureLabel_(new QLabel),
      layout_(new QVBoxLayout(this)) {
    setObjectName(QStringLiteral("readingWindow"));
    scroll_->setObjectName(QStringLiteral("readingPicture"));
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);  // its width never changes
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll_->setWidget(pictureLabel_);
    layout_->addWidget(scroll_, 1);
    resize(kWidth, kHeight);
}

void ReadingWindow::showView(const ReadingView& view) {
    setWindowTitle(qs(view.title));
    picture_ = buildQImage(view.picture);
    delete verdicts_;
    verdicts_ = new QWidget(this);
    auto* lines = new QVBoxLayout(verdicts_);
    lines->setContentsMargins(0, 0, 0, 0);
    int buttons = 0;
    for (const ModeVerdict& verdict : view.verdicts) {
        auto* text = new QLabel(qs(verdict.text), verdicts_);
        text->setWordWrap(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        lines->addWidget(text);
        if (!verdict.take) continue;
        auto* button = new QPushButton(qs(verdict.takeCaption), verdicts_);
        button->setObjectName(QStringLiteral("takeValue%1").arg(++buttons));
        const TakeValue take = *verdict.take;
        connect(button, &QPushButton::clicked, this, [this, take] { taken_(take); });
        lines->addWidget(button, 0, Qt::AlignLeft);
    }
    // The verdicts above the picture: always in view, however tall the page.
    layout_->insertWidget(0, verdicts_);
    if (!isVisible()) placeBesideOwner();
    QWidget::show();
    raise();
    fitPicture();
    scroll_->verticalScrollBar()->setValue(0);
}

void ReadingWindow::placeBesideOwner() {
    const QWidget& owner = *parentWidget();
    const QScreen* screen = owner.screen();
    const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, kWidth, kHeight);
    const QRect main = owner.frameGeometry();
    const int right = room.right() - main.right() - kGap;
    const int left = main.left() - kGap - room.left();
    const int height = std::min(kHeight, room.height() - kFrameAllowance);
    const int top = std::clamp(main.top(), room.top(), room.bottom() - height - kFrameAllowance);
    if (right >= kLeastWidth || left < kLeastWidth) {
        // Right of the main window; where neither side has room, over its right part.
        const int width = std::clamp(right, kLeastWidth, kWidth);
        resize(width, height);
        move(std::max(room.left(), std::min(main.right() + kGap, room.right() - width)), top);
    } else {
        const int width = std::min(left, kWidth);
        resize(width, height);
        move(main.left() - kGap - width, top);
    }
}

void ReadingWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitPicture();
}

void ReadingWindow::fitPicture() {
    if (picture_.isNull()) return;
    const int width = std::max(1, scroll_->viewport()->width());
    const QImage fitted = picture_.scaledToWidth(width, Qt::SmoothTransformation);
    pictureLabel_->setPixmap(QPixmap::fromImage(fitted));
    pictureLabel_->resize(fitted.size());
}

}  // namespace trevalune
