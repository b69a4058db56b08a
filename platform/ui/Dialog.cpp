#include "platform/ui/Dialog.h"

#include "platform/ui/DataExchange.h"
#include "platform/ui/DateTimePicker.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/HandlerBoundary.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/ModalRunner.h"
#include "platform/ui/ScaledIcon.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTreeWidget>

#include <vector>

namespace ui {
namespace {

const char* const kControlId = "coffer_control_id";

QFont TemplateFont(const DialogTemplate& dialogTemplate) {
    QFont font;
    // Where the requested face is missing, the usual Chinese faces stand in for it.
    font.setFamilies({QString::fromStdString(dialogTemplate.fontName), QStringLiteral("SimSun"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSize(dialogTemplate.fontPoints);
    return font;
}

bool NeedsLabelName(ControlKind kind) {
    return kind == ControlKind::Edit || kind == ControlKind::ComboBox ||
           kind == ControlKind::DateTimePicker || kind == ControlKind::ListView ||
           kind == ControlKind::TreeView || kind == ControlKind::ProgressBar;
}

bool CanNameOthers(ControlKind kind) {
    return kind == ControlKind::Label || kind == ControlKind::CheckBox;
}

// "关于 Coffer(&A)..." shows as "关于 Coffer(A)..." in places that take no mnemonics.
QString WithoutMnemonic(QString text) {
    return text.remove(QLatin1Char('&'));
}

// Screen readers on this desktop take a combo box's name from the label linked to it (its
// own name is its value), so the label becomes the control's buddy. A check box cannot be
// one: an unseen label with its text stands in for it.
void LinkLabel(QWidget* labelWidget, const QString& text, QWidget* control) {
    auto* label = qobject_cast<QLabel*>(labelWidget);
    if (label == nullptr) {
        label = new QLabel(text, control->parentWidget());
        label->setGeometry(labelWidget->geometry());
        label->hide();
    }
    label->setBuddy(control);
}

} // namespace

Dialog::Dialog(int templateId, QWidget* parent) : QDialog(parent), m_nTemplateId(templateId) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
}

Dialog::~Dialog() = default;

int Dialog::DoModal() {
    if (!Create())
        return -1;
    return CurrentModalRunner().Run(*this);
}

bool Dialog::Create() {
    if (m_bCreated)
        return true;
    bool built = RunHandler(parentWidget(), [this] {
        m_template = &DialogTemplate::Load(m_nTemplateId);
        BuildFromTemplate(*m_template);
    });
    if (!built)
        return false;
    m_bCreated = true;
    RunHandler(this, [this] { OnInitDialog(); });
    return true;
}

void Dialog::BuildFromTemplate(const DialogTemplate& dialogTemplate) {
    setFont(TemplateFont(dialogTemplate));
    const DialogUnits units(QFont(fontInfo().family(), dialogTemplate.fontPoints));
    setWindowTitle(QString::fromStdString(dialogTemplate.caption));
    setFixedSize(units.ToPixelsX(dialogTemplate.cx), units.ToPixelsY(dialogTemplate.cy));

    QString lastLabel;
    QWidget* lastLabelWidget = nullptr;
    std::vector<QWidget*> groupBoxes;
    // Radio buttons are exclusive within their group only: from one that starts a group to
    // the next control that is not a radio button or starts another.
    QButtonGroup* radioGroup = nullptr;
    QWidget* previousInTabOrder = nullptr;
    for (const ControlTemplate& control : dialogTemplate.controls) {
        QWidget* widget = MakeControl(control);
        // The tab order is the template's order, also for a control the dialog made itself
        // before the others.
        if (widget->focusPolicy() != Qt::NoFocus) {
            if (previousInTabOrder != nullptr)
                QWidget::setTabOrder(previousInTabOrder, widget);
            previousInTabOrder = widget;
        }
        widget->setProperty(kControlId, control.id);
        widget->setObjectName(QStringLiteral("control_%1").arg(control.id));
        QRect rect = units.ToPixels(control.x, control.y, control.cx, control.cy);
        if (control.kind == ControlKind::ComboBox)
            rect.setHeight(widget->sizeHint().height()); // the template height is the drop-down's
        widget->setGeometry(rect);
        if (control.Has("disabled"))
            widget->setEnabled(false);
        // A label names the control right after it; one with no label of its own goes by
        // its dialog's caption.
        if (NeedsLabelName(control.kind)) {
            widget->setAccessibleName(lastLabel.isEmpty() ? windowTitle() : lastLabel);
            if (!lastLabel.isEmpty())
                LinkLabel(lastLabelWidget, lastLabel, widget);
        }
        lastLabel = CanNameOthers(control.kind)
                        ? WithoutMnemonic(QString::fromStdString(control.text))
                        : QString();
        lastLabelWidget = widget;
        if (control.kind == ControlKind::GroupBox)
            groupBoxes.push_back(widget);
        auto* radio = qobject_cast<QRadioButton*>(widget);
        if (control.kind == ControlKind::RadioButton && radio != nullptr) {
            if (radioGroup == nullptr || control.Has("group"))
                radioGroup = new QButtonGroup(this);
            radioGroup->addButton(radio);
        } else {
            radioGroup = nullptr;
        }
        widget->show();
        if (control.id != -1)
            m_controls[control.id] = widget;
        ConnectControl(control, widget);
    }
    // Group boxes frame the controls drawn over them.
    for (QWidget* box : groupBoxes)
        box->lower();
}

QWidget* Dialog::MakeControl(const ControlTemplate& control) {
    auto own = m_ownControls.find(control.id);
    if (own != m_ownControls.end())
        return own->second;

    const QString text = QString::fromStdString(control.text);
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* button = new QPushButton(text, this);
        button->setAutoDefault(true);
        if (control.kind == ControlKind::DefPushButton) {
            button->setDefault(true);
            m_nDefId = control.id;
        }
        return button;
    }
    case ControlKind::Label:
    case ControlKind::CenteredLabel: {
        auto* label = new QLabel(text, this);
        label->setWordWrap(true);
        label->setAlignment(
            (control.kind == ControlKind::CenteredLabel ? Qt::AlignHCenter : Qt::AlignLeft) |
            Qt::AlignTop);
        if (control.Has("notify")) {
            label->setCursor(Qt::PointingHandCursor);
            label->installEventFilter(this);
        }
        return label;
    }
    case ControlKind::Icon: {
        auto* label = new QLabel(this);
        label->setPixmap(
            LoadScaledIcon(QStringLiteral(":/res/icons/%1.png").arg(text)).pixmap(32, 32));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case ControlKind::Edit: {
        if (control.Has("multiline")) {
            auto* edit = new QPlainTextEdit(this);
            edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            edit->setTabChangesFocus(true);
            return edit;
        }
        auto* edit = new QLineEdit(text, this);
        if (control.Has("password"))
            edit->setEchoMode(QLineEdit::Password);
        if (control.Has("number"))
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]*")), edit));
        if (control.Has("readonly"))
            edit->setReadOnly(true);
        return edit;
    }
    case ControlKind::ComboBox: {
        auto* combo = new QComboBox(this);
        combo->setEditable(control.Has("dropdown"));
        if (combo->isEditable())
            combo->setInsertPolicy(QComboBox::NoInsert);
        return combo;
    }
    case ControlKind::CheckBox:
        return new QCheckBox(text, this);
    case ControlKind::RadioButton:
        return new QRadioButton(text, this);
    case ControlKind::GroupBox:
        return new QGroupBox(text, this);
    case ControlKind::TreeView: {
        auto* tree = new QTreeWidget(this);
        tree->setHeaderHidden(true);
        tree->setRootIsDecorated(true);
        tree->viewport()->installEventFilter(this);
        // Its right button is its own (the right double-click notification); a context
        // menu request must not travel on to the dialog's window menu.
        tree->setContextMenuPolicy(Qt::PreventContextMenu);
        return tree;
    }
    case ControlKind::ListView:
        return new ListCtrl(this);
    case ControlKind::DateTimePicker:
        return new DateTimePicker(this);
    case ControlKind::ProgressBar: {
        auto* progress = new QProgressBar(this);
        progress->setRange(0, 100);
        progress->setValue(0);
        progress->setTextVisible(false);
        return progress;
    }
    }
    return new QLabel(text, this);
}

void Dialog::ConnectControl(const ControlTemplate& control, QWidget* widget) {
    const int id = control.id;
    if (id == -1)
        return;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        connect(button, &QAbstractButton::clicked, this, [this, id] { SendCommand(id); });
    } else if (auto* tree = qobject_cast<QTreeWidget*>(widget)) {
        connect(tree, &QTreeWidget::itemDoubleClicked, this,
                [this, id] { SendNotify(id, Notification::DblClk, -1, QCursor::pos()); });
    } else if (auto* list = qobject_cast<ListCtrl*>(widget)) {
        connect(list, &ListCtrl::itemDoubleClicked, this,
                [this, id](int row) { SendNotify(id, Notification::DblClk, row, QCursor::pos()); });
        connect(list, &ListCtrl::itemRightClicked, this, [this, id](int row, QPoint pos) {
            SendNotify(id, Notification::RClick, row, pos);
        });
        connect(list, &ListCtrl::itemClicked, this,
                [this, id](int row) { SendNotify(id, Notification::Click, row, QCursor::pos()); });
        connect(list, &ListCtrl::columnClicked, this,
                [this, id](int column) { SendNotify(id, Notification::ColumnClick, column); });
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        connect(combo, &QComboBox::activated, this,
                [this, id](int index) { SendNotify(id, Notification::SelChange, index); });
    }
}

bool Dialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* label = qobject_cast<QLabel*>(watched);
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (label != nullptr && mouse->button() == Qt::LeftButton &&
            label->rect().contains(mouse->position().toPoint())) {
            SendCommand(label->property(kControlId).toInt());
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonDblClick) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* tree = qobject_cast<QTreeWidget*>(watched->parent());
        if (tree != nullptr && mouse->button() == Qt::RightButton) {
            SendNotify(tree->property(kControlId).toInt(), Notification::RDblClk, -1,
                       mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Dialog::EndDialog(int result) {
    done(result);
}

QWidget* Dialog::GetDlgItem(int id) const {
    auto found = m_controls.find(id);
    return found != m_controls.end() ? found->second : nullptr;
}

const ControlTemplate* Dialog::FindControlTemplate(int id) const {
    return m_template != nullptr ? m_template->Find(id) : nullptr;
}

std::string Dialog::GetDlgItemText(int id) const {
    QWidget* control = GetDlgItem(id);
    if (control == nullptr)
        return {};
    std::string text;
    DataExchange dx(const_cast<Dialog&>(*this), true);
    DDX_Text(dx, id, text);
    return text;
}

void Dialog::SetDlgItemText(int id, const std::string& text) {
    std::string value = text;
    DataExchange dx(*this, false);
    DDX_Text(dx, id, value);
}

void Dialog::EnableItem(int id, bool enable) {
    if (QWidget* control = GetDlgItem(id))
        control->setEnabled(enable);
}

bool Dialog::UpdateData(bool saveAndValidate) {
    DataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

void Dialog::SendCommand(int id) {
    auto found = m_commands.find(id);
    if (found != m_commands.end()) {
        std::function<void()> handler = found->second; // the handler may replace itself
        RunHandler(this, handler);
    } else if (id == IDOK) {
        RunHandler(this, [this] { OnOK(); });
    } else if (id == IDCANCEL) {
        RunHandler(this, [this] { OnCancel(); });
    }
}

bool Dialog::ClickButton(int id) {
    auto* button = Item<QAbstractButton>(id);
    if (button == nullptr || !button->isEnabled())
        return false;
    button->click();
    return true;
}

long Dialog::SendNotify(int id, Notification code, int item, QPoint screenPos) {
    NotifyInfo info{id, code, item, screenPos, 0};
    auto found = m_notifications.find({id, code});
    if (found == m_notifications.end())
        return 0;
    std::function<void(NotifyInfo&)> handler = found->second;
    RunHandler(this, [&] { handler(info); });
    return info.result;
}

bool Dialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void Dialog::DoDataExchange(DataExchange&) {
}

void Dialog::OnOK() {
    if (UpdateData(true))
        EndDialog(IDOK);
}

void Dialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void Dialog::OnClose() {
    SendCommand(IDCANCEL);
}

void Dialog::OnCommand(int id, std::function<void()> handler) {
    m_commands[id] = std::move(handler);
}

void Dialog::OnNotify(int id, Notification code, std::function<void(NotifyInfo&)> handler) {
    m_notifications[{id, code}] = std::move(handler);
}

void Dialog::UseControl(int id, QWidget* control) {
    m_ownControls[id] = control;
}

void Dialog::SetDefID(int id) {
    if (auto* old = Item<QPushButton>(m_nDefId))
        old->setDefault(false);
    m_nDefId = id;
    if (auto* button = Item<QPushButton>(id))
        button->setDefault(true);
}

void Dialog::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() != Qt::NoModifier && event->modifiers() != Qt::KeypadModifier) {
        QDialog::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Enter:
    case Qt::Key_Return: {
        // A focused push button takes Enter; else the default button; else its command,
        // which reaches OnOK even when the dialog shows no button for IDOK.
        if (auto* focused = qobject_cast<QPushButton*>(focusWidget());
            focused != nullptr && focused->isEnabled()) {
            focused->click();
            return;
        }
        if (auto* button = Item<QAbstractButton>(m_nDefId)) {
            if (button->isEnabled())
                button->click();
            return;
        }
        SendCommand(m_nDefId);
        return;
    }
    case Qt::Key_Escape:
        SendCommand(IDCANCEL);
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void Dialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    RunHandler(this, [this] { OnClose(); });
}

// As it shows, QDialog makes the first auto-default push button the default when none is,
// and draws it so; but with no default button in the template Enter sends IDOK. The buttons
// still become the default while they have the focus, as Enter then presses them.
void Dialog::setVisible(bool visible) {
    std::vector<QPushButton*> suspended;
    if (visible && Item<QPushButton>(m_nDefId) == nullptr) {
        for (QPushButton* button : findChildren<QPushButton*>()) {
            if (button->autoDefault() && !button->isDefault()) {
                button->setAutoDefault(false);
                suspended.push_back(button);
            }
        }
    }
    QDialog::setVisible(visible);
    for (QPushButton* button : suspended)
        button->setAutoDefault(true);
}

void Dialog::reject() {
    SendCommand(IDCANCEL);
}

void Dialog::accept() {
    SendCommand(IDOK);
}

} // namespace ui
