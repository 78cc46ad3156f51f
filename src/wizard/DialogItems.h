// The controls of one page (implemented by the front end), addressed by control id, as the pages
// see them. The front end carries calls from a worker thread out on the UI thread; once the page's
// worker calls are closed (WizardHost) they return without effect.
#pragma once
#include <string>

namespace nubo {

struct TitleFont {
    std::string face;  // "Verdana", "MS Shell Dlg"
    int pixelHeight = 20;
    int weight = 700;
};

class DialogItems {
public:
    virtual ~DialogItems() = default;
    virtual void SetText(int id, const std::string& text) = 0;
    virtual std::string GetText(int id) = 0;
    virtual void Show(int id, bool show) = 0;
    virtual void Enable(int id, bool enable) = 0;
    virtual bool IsEnabled(int id) = 0;
    virtual void Check(int id, bool checked) = 0;
    virtual bool IsChecked(int id) = 0;
    virtual void SetReadOnly(int id, bool readOnly) = 0;
    // List and combo boxes. A sorted box puts an added item in its sorted place
    // and returns that index.
    virtual void ListReset(int id) = 0;
    virtual int ListAdd(int id, const std::string& text) = 0;
    virtual int ListCount(int id) = 0;
    virtual void ListSelect(int id, int index) = 0;
    virtual int ListSelectedIndex(int id) = 0;  // -1 when nothing is selected
    virtual std::string ListSelectedText(int id) = 0;
    virtual void Focus(int id) = 0;
    virtual void SetTitleFont(int id, const TitleFont& font) = 0;
};

}  // namespace nubo
