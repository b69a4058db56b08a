#pragma once

#include "platform/ui/DialogTemplate.h"
#include "platform/ui/MessageBox.h"

#include <QDialog>
#include <QPoint>

#include <functional>
#include <map>
#include <string>

namespace ui {

class DataExchange;

/// Notifications a control sends to its dialog.
enum class Notification {
    DblClk,      // double-click (lists, trees)
    RClick,      // right button released (lists)
    RDblClk,     // right double-click (trees)
    ColumnClick, // a list heading was clicked
    SelChange,   // a combo's or list's selection changed
    Click,       // left click on an item (lists)
};

/// What a notification carries: the row (or column, for ColumnClick; −1 for an empty
/// area) and the screen position of the mouse, and a result slot the handler may set.
struct NotifyInfo {
    int id = 0;
    Notification code = Notification::DblClk;
    int item = -1;
    QPoint screenPos;
    long result = 0;
};

/// A modal dialog built from a template in dialog units, with its controls looked up by
/// id, data exchange, command routing by id and the default OK / Cancel behaviour:
/// Enter presses the default button (or sends the OK command when there is none), Esc and
/// the title-bar close send the cancel command. Every handler runs through the handler
/// boundary, so an error it raises is shown and the dialog stays usable.
class Dialog : public QDialog {
    Q_OBJECT
public:
    explicit Dialog(int templateId, QWidget* parent = nullptr);
    ~Dialog() override;

    int TemplateId() const { return m_nTemplateId; }

    /// Builds the controls and runs OnInitDialog (once); then runs the dialog modally
    /// through the modal-run seam and returns the result given to EndDialog.
    int DoModal();
    /// Builds the controls and runs OnInitDialog, without running; false when the template
    /// could not be built. Used by DoModal, by modeless use and by tests.
    bool Create();
    bool IsCreated() const { return m_bCreated; }

    void EndDialog(int result);

    /// Whether the dialog's modal run blocks the program's other windows (it does unless
    /// told otherwise). A main window whose run is the program's life blocks nothing: its
    /// notification-area icon, a window of its own on some desktops, must take clicks.
    bool BlocksOtherWindows() const { return m_bBlocksOthers; }
    void SetBlocksOtherWindows(bool bBlocks) { m_bBlocksOthers = bBlocks; }

    QWidget* GetDlgItem(int id) const;
    template <class T> T* Item(int id) const { return qobject_cast<T*>(GetDlgItem(id)); }
    const ControlTemplate* FindControlTemplate(int id) const;

    std::string GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const std::string& text);
    void EnableItem(int id, bool enable);

    /// The button that Enter presses when no other push button has the focus; IDOK when
    /// the template names none, whether or not the dialog shows a button for it.
    int GetDefID() const { return m_nDefId; }
    void SetDefID(int id);

    /// Moves values between members and controls (saveAndValidate: controls to members).
    /// False when a control held a text that is not a number: the prompt was shown, the
    /// exchange stopped there and the focus went to that control.
    bool UpdateData(bool saveAndValidate = true);

    /// Runs the handler of a command id (a button, a menu or popup choice) as the user's
    /// action would; ids without a handler are ignored.
    void SendCommand(int id);
    /// Presses a button as the user would: nothing happens when it is missing, hidden by
    /// no one, or disabled. Returns whether it was pressed.
    bool ClickButton(int id);
    /// Delivers a control's notification to its handler, as the control itself does.
    long SendNotify(int id, Notification code, int item = -1, QPoint screenPos = {});

protected:
    /// The framework's initialisation: shows the members in the controls. Returns true.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(DataExchange& dx);
    /// Default handler of command IDOK: reads the controls; ends the dialog as accepted
    /// when they all held valid values.
    virtual void OnOK();
    /// Default handler of command IDCANCEL: ends the dialog as cancelled.
    virtual void OnCancel();
    /// The title-bar close: by default the cancel command.
    virtual void OnClose();

    /// Handlers by id; a registered handler replaces the default one for IDOK and IDCANCEL.
    void OnCommand(int id, std::function<void()> handler);
    void OnNotify(int id, Notification code, std::function<void(NotifyInfo&)> handler);

    /// Puts a control object of the dialog's own (made with this dialog as its parent) in
    /// the place of the template's control with this id. Call before Create.
    void UseControl(int id, QWidget* control);

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    void setVisible(bool visible) override;
    void reject() override;
    void accept() override;

private:
    QWidget* MakeControl(const ControlTemplate& control);
    void ConnectControl(const ControlTemplate& control, QWidget* widget);
    void BuildFromTemplate(const DialogTemplate& dialogTemplate);

    int m_nTemplateId;
    int m_nDefId = IDOK;
    bool m_bCreated = false;
    bool m_bBlocksOthers = true;
    const DialogTemplate* m_template = nullptr;
    std::map<int, QWidget*> m_controls;
    std::map<int, QWidget*> m_ownControls;
    std::map<int, std::function<void()>> m_commands;
    std::map<std::pair<int, Notification>, std::function<void(NotifyInfo&)>> m_notifications;
};

} // namespace ui
