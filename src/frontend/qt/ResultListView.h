// Paints a CResultList by its layout: button-face background, marks with
// their white mapped to the button face, bold active row; scrolls vertically
// when the rows do not fit, never horizontally. UI thread only; repaint
// requests from the test worker are posted.
#pragma once
#include <QImage>
#include <QScrollArea>

#include "ui/ResultList.h"

namespace nubo {

class ResultListView : public QScrollArea {
public:
    ResultListView(CResultList& list, QWidget* parent);
    ~ResultListView() override;
    // The layout as last painted (for tests).
    ResultLayout CurrentLayout() const;
    void Refresh();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    class Canvas;
    CResultList& list_;
    Canvas* canvas_;
    QImage pass_;
    QImage active_;
    QImage fail_;
};

}  // namespace nubo
