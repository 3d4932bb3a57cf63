// The two windows on screen: a Qt view over the window model. It mirrors every control's
// state from the model and hands every user event to the model's handlers; it decides nothing
// itself. It is also the model's windowing platform (show, hide, close, repaint).
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "form_widget.h"
#include "platform/windowing.h"

namespace brindle {
class Control;
class FrmBrindle;
}  // namespace brindle

namespace brindle::gui {

class CategoryList;

class BrindleView final : public QObject, public platform::Windowing {
  Q_OBJECT

 public:
  explicit BrindleView(const TwipsScale& scale = TwipsScale::ForScreen());
  ~BrindleView() override;

  // Binds the widgets to `model` for the rest of its life and shows its current state.
  void Attach(FrmBrindle& model);

  FormWidget& MainWindow() { return *main_; }
  FormWidget& AlertWindow() { return *alert_; }

  // Runs after a control has been painted at the model's request (tests look at the screen
  // at that moment).
  std::function<void(const std::string& control)> onRepainted;
  // Runs when the model has closed the main window and the program is to end. Without it the
  // application's event loop is told to quit.
  std::function<void()> onEnded;

  // platform::Windowing
  void Show(platform::WindowId window) override;
  void Hide(platform::WindowId window) override;
  void Close(platform::WindowId window) override;
  void Repaint(const std::string& control) override;

 private:
  // Model to widgets.
  void Refresh(const std::string& what);
  void RefreshAll();
  void RefreshWindows();
  void RefreshControl(FormWidget& form, const Control& control);
  void RefreshList();
  void RefreshFocus();

  // Widgets to model.
  void ConnectButtons();
  void ConnectTextFields();
  void ConnectList();
  void ConnectWindows();
  bool EnterFromUser(QObject* watched, QEvent* event);
  void OnListCurrentChanged(int row);
  void OnListSelectionChanged();
  void OnMainActivated();
  bool eventFilter(QObject* watched, QEvent* event) override;

  FormWidget* FormOf(platform::WindowId window);

  std::unique_ptr<FormWidget> main_;
  std::unique_ptr<FormWidget> alert_;
  CategoryList* list_ = nullptr;
  FrmBrindle* model_ = nullptr;
  // True while the view copies the model into the widgets, so that the widgets' own change
  // signals are not mistaken for the user's.
  bool mirroring_ = false;
  // The last of our two windows that was active: Form_Activate runs only when the main window
  // becomes active coming from elsewhere in the program, not when the user returns to it from
  // another program or a message box closes.
  const QWidget* lastActiveForm_ = nullptr;
};

}  // namespace brindle::gui
