#include "brindle_view.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>

#include "category_list.h"
#include "text_codec.h"
#include "window/frm_brindle.h"

namespace brindle::gui {
namespace {

// The model's window height counts the title bar and borders. The view takes them to be what
// the model assumes at creation, so the client area is the same on every desktop.
constexpr int kDecorationTwips = FrmBrindle::kCreatedHeight - 7590;

bool ByUser(Qt::FocusReason reason) {
  return reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
         reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
}

// Marks the widgets' change signals as the view's own while it copies the model in.
class Mirroring {
 public:
  explicit Mirroring(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
  ~Mirroring() { flag_ = was_; }
  Mirroring(const Mirroring&) = delete;
  Mirroring& operator=(const Mirroring&) = delete;

 private:
  bool& flag_;
  bool was_;
};

}  // namespace

BrindleView::BrindleView(const TwipsScale& scale)
    : main_(std::make_unique<FormWidget>(names::frmBrindle, MainWindowPlaces(), scale)),
      alert_(std::make_unique<FormWidget>(names::Form1, AlertWindowPlaces(), scale)) {
  list_ = main_->ControlAs<CategoryList>(names::lstCategory);
}

BrindleView::~BrindleView() {
  // The model may be gone already; widgets that signal while they are torn down (a list
  // losing its entries, a field losing the focus) must not reach it.
  for (FormWidget* form : {main_.get(), alert_.get()}) {
    for (QWidget* widget : form->Controls()) {
      widget->removeEventFilter(this);
      widget->disconnect(this);
    }
    form->onActivated = nullptr;
    form->onCloseRequest = nullptr;
  }
}

void BrindleView::Attach(FrmBrindle& model) {
  model_ = &model;
  // The program ends when the model closes the main window, not when the warning closes.
  QApplication::setQuitOnLastWindowClosed(false);
  main_->setWindowTitle(FromCodePage(FrmBrindle::kCaption));
  alert_->setWindowTitle(FromCodePage(Form1::kCaption));
  model.AddChangeListener([this](const std::string& what) { Refresh(what); });
  ConnectButtons();
  ConnectTextFields();
  ConnectList();
  ConnectWindows();
  RefreshAll();
}

// ---- Model to widgets ----

void BrindleView::Refresh(const std::string& what) {
  if (what == names::frmBrindle || what == names::Form1) {
    RefreshWindows();
  } else if (what == names::focus) {
    RefreshFocus();
  } else if (what == names::lstCategory) {
    RefreshList();
  } else {
    // Form1 and the main window both have a Label1 and a Label2: refresh whichever exist.
    if (const Control* control = model_->Find(what)) RefreshControl(*main_, *control);
    for (const Control* control : model_->controls(platform::WindowId::Form1)) {
      if (control->name() == what) RefreshControl(*alert_, *control);
    }
  }
}

void BrindleView::RefreshAll() {
  for (const Control* control : model_->controls()) RefreshControl(*main_, *control);
  for (const Control* control : model_->controls(platform::WindowId::Form1))
    RefreshControl(*alert_, *control);
  RefreshList();
  RefreshWindows();
}

void BrindleView::RefreshControl(FormWidget& form, const Control& control) {
  const QString name = QString::fromStdString(control.name());
  QWidget* widget = form.Control(name);
  if (widget == nullptr) return;
  Mirroring mirroring(mirroring_);
  form.SetControlText(name, FromCodePage(control.text()));
  widget->setEnabled(control.enabled());
  widget->setVisible(control.visible());
  // The cause of a failure the control's text tells of, for the mouse and for screen readers;
  // touched only when it changes.
  const QString cause = QString::fromUtf8(control.cause());
  if (widget->toolTip() != cause) {
    widget->setToolTip(cause);
    widget->setAccessibleDescription(cause);
  }
  if (control.kind() == ControlKind::Frame) form.SetPanelTop(name, control.top());
}

void BrindleView::RefreshList() {
  const ListControl& model = model_->categoryList();
  RefreshControl(*main_, model);
  Mirroring mirroring(mirroring_);
  bool sameEntries = list_->count() == model.size();
  for (int row = 0; sameEntries && row < model.size(); ++row) {
    sameEntries = list_->item(row)->text() == FromCodePage(model.entries()[row].text);
  }
  if (!sameEntries) {
    list_->clear();
    for (const ListEntry& entry : model.entries()) list_->addItem(FromCodePage(entry.text));
  }
  for (int row = 0; row < model.size(); ++row) {
    QListWidgetItem* item = list_->item(row);
    if (item->isSelected() != model.entries()[row].selected) {
      item->setSelected(model.entries()[row].selected);
    }
  }
  if (model.current() >= 0 && model.current() != list_->currentRow()) {
    list_->setCurrentRow(model.current(), QItemSelectionModel::NoUpdate);
  }
}

void BrindleView::RefreshWindows() {
  main_->SetClientHeight(model_->height() - kDecorationTwips);
  if (main_->isVisible() != model_->shown(platform::WindowId::Main)) {
    model_->shown(platform::WindowId::Main) ? Show(platform::WindowId::Main) : main_->hide();
  }
  if (alert_->isVisible() != model_->shown(platform::WindowId::Form1)) {
    model_->shown(platform::WindowId::Form1) ? Show(platform::WindowId::Form1) : alert_->hide();
  }
  RefreshFocus();
}

void BrindleView::RefreshFocus() {
  QWidget* widget = main_->Control(QString::fromStdString(model_->focus()));
  if (widget == nullptr || widget == main_->focusWidget()) return;
  Mirroring mirroring(mirroring_);
  widget->setFocus(Qt::OtherFocusReason);
}

// ---- Windowing ----

FormWidget* BrindleView::FormOf(platform::WindowId window) {
  return window == platform::WindowId::Main ? main_.get() : alert_.get();
}

void BrindleView::Show(platform::WindowId window) {
  FormWidget* form = FormOf(window);
  form->show();
  form->activateWindow();
}

void BrindleView::Hide(platform::WindowId window) { FormOf(window)->hide(); }

void BrindleView::Close(platform::WindowId window) {
  // The model has already run its unload handling; only the widgets are left to go.
  FormOf(window)->hide();
  if (window != platform::WindowId::Main) return;
  alert_->hide();
  if (onEnded) {
    onEnded();
  } else {
    QCoreApplication::exit(0);
  }
}

void BrindleView::Repaint(const std::string& control) {
  const QString name = QString::fromStdString(control);
  QWidget* widget = main_->Control(name);
  if (widget == nullptr) widget = alert_->Control(name);
  if (widget == nullptr) return;
  widget->repaint();
  if (onRepainted) onRepainted(control);
}

// ---- Widgets to model ----

void BrindleView::ConnectButtons() {
  FrmBrindle& m = *model_;
  // A click reaches the handler only while the model itself lets the user reach the button.
  for (const platform::WindowId window : {platform::WindowId::Main, platform::WindowId::Form1}) {
    FormWidget& form = window == platform::WindowId::Main ? *main_ : *alert_;
    for (const Control* button : m.controls(window)) {
      if (button->kind() != ControlKind::Button) continue;
      connect(form.ControlAs<QPushButton>(QString::fromStdString(button->name())),
              &QPushButton::clicked, this, [&m, name = button->name()] { m.Click(name); });
    }
  }
}

void BrindleView::ConnectTextFields() {
  for (const Control* field : model_->controls()) {
    if (field->kind() != ControlKind::TextBox) continue;
    connect(main_->ControlAs<QLineEdit>(QString::fromStdString(field->name())),
            &QLineEdit::textEdited, this, [this, name = field->name()](const QString& text) {
              if (!mirroring_) model_->Type(name, ToCodePage(text));
            });
  }
  for (QWidget* widget : main_->Controls()) {
    if (widget->focusPolicy() != Qt::NoFocus) widget->installEventFilter(this);
  }
}

void BrindleView::ConnectList() {
  connect(list_, &QListWidget::currentRowChanged, this,
          [this](int row) { OnListCurrentChanged(row); });
  connect(list_, &QListWidget::itemSelectionChanged, this, [this] { OnListSelectionChanged(); });
  connect(list_, &CategoryList::mouseReleased, this,
          [this] { model_->MouseUp(names::lstCategory); });
  connect(list_, &CategoryList::keyReleased, this, [this] { model_->KeyUp(names::lstCategory); });
}

void BrindleView::OnListCurrentChanged(int row) {
  if (mirroring_ || row < 0 || row >= model_->categoryList().size()) return;
  model_->ClickListEntry(row, list_->item(row)->isSelected());
}

void BrindleView::OnListSelectionChanged() {
  if (mirroring_) return;
  const ListControl& model = model_->categoryList();
  for (int row = 0; row < model.size() && row < list_->count(); ++row) {
    const bool selected = list_->item(row)->isSelected();
    if (selected != model.entries()[row].selected) model_->ClickListEntry(row, selected);
  }
  // The entry the user acted on stays the current one.
  const int row = list_->currentRow();
  if (row >= 0 && row < model.size() && model.current() != row) {
    model_->ClickListEntry(row, list_->item(row)->isSelected());
  }
}

void BrindleView::ConnectWindows() {
  main_->onActivated = [this] { OnMainActivated(); };
  alert_->onActivated = [this] { lastActiveForm_ = alert_.get(); };
  main_->onCloseRequest = [this] {
    // The close box unloads the main window like the "Exit" buttons do.
    if (!model_->ended()) model_->CloseMain();
    return true;
  };
  alert_->onCloseRequest = [this] {
    // Closing the warning without an answer must not leave a program running with no window:
    // it counts as "Yes, it is running", the answer that ends the program.
    if (!model_->ended() && model_->shown(platform::WindowId::Form1)) {
      model_->Click(names::Command2);
    }
    return true;
  };
}

void BrindleView::OnMainActivated() {
  const bool fromElsewhere = lastActiveForm_ != main_.get();
  lastActiveForm_ = main_.get();
  if (fromElsewhere && !model_->ended()) model_->Form_Activate();
}

bool BrindleView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn && !mirroring_) EnterFromUser(watched, event);
  return QObject::eventFilter(watched, event);
}

bool BrindleView::EnterFromUser(QObject* watched, QEvent* event) {
  // Focus that Qt moves on its own (a control being disabled, the window coming back) is not
  // the user's doing; the model keeps its own idea of the focus then.
  if (!ByUser(static_cast<QFocusEvent*>(event)->reason())) return false;
  return model_->SetFocus(watched->objectName().toStdString());
}

}  // namespace brindle::gui
