// Paints a CResultList by its layout.
#include "frontend/qt/ResultListView.h"

#include <QFontMetrics>
#include <QMetaObject>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>

#include "frontend/qt/Pictures.h"
#include "frontend/qt/TemplatePage.h"

namespace nubo {
namespace {

MarkSize SizeOf(const QImage& image) {
    return {image.width(), image.height(), !image.isNull()};
}

QColor ButtonFace(const QWidget* w) {
    return w->palette().color(QPalette::Button);
}

}  // namespace

class ResultListView::Canvas : public QWidget {
public:
    explicit Canvas(ResultListView& owner) : QWidget(&owner), owner_(owner) {}

protected:
    void paintEvent(QPaintEvent*) override {
        const ResultLayout layout = owner_.CurrentLayout();
        QPainter p(this);
        p.fillRect(rect(), ButtonFace(this));
        QFont normal = TemplateFont();
        QFont bold = normal;
        bold.setBold(true);
        for (const DrawOp& op : layout.ops) {
            switch (op.kind) {
                case DrawOp::Kind::PassMark:
                    p.drawImage(op.x, op.y, owner_.pass_);
                    break;
                case DrawOp::Kind::ActiveMark:
                    p.drawImage(op.x, op.y, owner_.active_);
                    break;
                case DrawOp::Kind::FailMark:
                    p.drawImage(op.x, op.y, owner_.fail_);
                    break;
                case DrawOp::Kind::Text: {
                    p.setFont(op.bold ? bold : normal);
                    const QFontMetrics fm(p.font());
                    p.setPen(palette().color(QPalette::ButtonText));
                    // The layout gives the top of the text cell.
                    p.drawText(op.x, op.y + fm.ascent(), QString::fromUtf8(op.text.c_str()));
                    break;
                }
            }
        }
    }

private:
    ResultListView& owner_;
};

ResultListView::ResultListView(CResultList& list, QWidget* parent)
    : QScrollArea(parent), list_(list) {
    setFrameShape(QFrame::NoFrame);
    // The list only shows; the keyboard has nothing to do in it.
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    canvas_ = new Canvas(*this);
    setWidget(canvas_);
    setWidgetResizable(false);
    const QColor face = ButtonFace(this);
    pass_ = MapWhite(LoadPicture(151), face);
    active_ = MapWhite(LoadPicture(152), face);
    fail_ = MapWhite(LoadPicture(165), face);
    QPointer<ResultListView> self(this);
    list_.SetRepaintHandler([self] {
        // The worker asks; the UI thread repaints, if the list still exists.
        QMetaObject::invokeMethod(
            self.data(),
            [self] {
                if (self) self->Refresh();
            },
            Qt::QueuedConnection);
    });
    Refresh();
}

ResultListView::~ResultListView() {
    list_.SetRepaintHandler(nullptr);
}

ResultLayout ResultListView::CurrentLayout() const {
    // The row height comes from the list's default font, before any font of the list.
    const int heightOfA = QFontMetrics(font()).height();
    return LayoutResultList(list_.Snapshot(), heightOfA, SizeOf(pass_), SizeOf(active_),
                            SizeOf(fail_));
}

void ResultListView::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    Refresh();
}

void ResultListView::Refresh() {
    const ResultLayout layout = CurrentLayout();
    const int width = viewport()->width();
    canvas_->resize(width, std::max(layout.contentHeight, viewport()->height()));
    canvas_->update();
}

}  // namespace nubo
