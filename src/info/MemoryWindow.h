#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace quillory {

class MainContext;

namespace info {

// frmMemory: the machine's memory figures, and two usage bars refreshed every second. The main
// window is disabled while it is open.
class MemoryWindow : public QDialog {
    Q_OBJECT
public:
    MemoryWindow(MainContext& context, QWidget* parent);

    void done(int result) override;

private:
    QGroupBox* fmeSysMemDetails = nullptr;
    QLabel* lblTotalPhys = nullptr;
    QLabel* lblAvailPhys = nullptr;
    QLabel* lblTotalPage = nullptr;
    QLabel* lblAvailPage = nullptr;
    QLabel* lblTotalVirtual = nullptr;
    QLabel* lblAvailVirtual = nullptr;
    QGroupBox* fmeFreeSysMem = nullptr;
    QProgressBar* pgbPhysMem = nullptr;
    QLabel* lblPhysUsed = nullptr;
    QProgressBar* pgbVirtMem = nullptr;
    QLabel* lblVirtUsed = nullptr;
    QTimer* Timer1 = nullptr;
    QPushButton* cmdCloseMem = nullptr;
    QLabel* lblCopyright = nullptr;
    void Timer1_Timer();
    void cmdCloseMem_Click();

    MainContext& m_context;
};

} // namespace info
} // namespace quillory
