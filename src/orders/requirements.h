#pragma once
// The Order dialog: one requirement and its four stages, from picking the
// assembly through "Process" to closing or cancelling the order.
#include "bom/navigationtree.h"
#include "orders/requirement.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class CImageButton;
class QTreeWidget;
class QTreeWidgetItem;

class CRequirements : public QDialog
{
    Q_OBJECT
public:
    // An empty order number opens the last requirement issued.
    explicit CRequirements(const QString& orderNumber, QWidget* parent = nullptr);

    int stage() const { return m_stage; }
    QString orderNumber() const { return m_record.orderNumber; }

    // The handlers of the buttons, callable by tests.
    void process();
    // The purchasing preview: what "Process" would allocate and order.
    void preview();
    void completeOrder();
    void cancelOrder();
    void saveAndClose();

protected:
    void reject() override; // Esc saves, as "OK" does

private:
    void fillTree();
    // Lists the sub-assemblies under an item when it is first opened.
    void fillBranch(QTreeWidgetItem* item);
    void updatePicture();
    void evaluateStage();
    QString selectedAssembly() const;
    // The quantity typed, checked; reports what is wrong with it.
    bool readQuantity(double* quantity);
    // The need date typed as ISO (empty when none); false, said, when it is no date.
    bool readNeedDate(QString* iso);
    void showBuilt();
    // The record as stored now, in every field.
    void showStoredRecord();
    // Whether the stored record differs from the one shown.
    bool storedChanged() const;
    void openTimeline();
    void printRouting();

    RequirementRecord m_record;
    int m_stage = 0;
    QLineEdit* m_order = nullptr;
    QLineEdit* m_description = nullptr;
    QLineEdit* m_quantity = nullptr;
    QLineEdit* m_needDate = nullptr;
    QLineEdit* m_completeQuantity = nullptr;
    QLabel* m_built = nullptr;
    QTreeWidget* m_tree = nullptr;
    AssemblyGraph m_graph;
    QLabel* m_assemblyLabel = nullptr;
    QLabel* m_picture = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QCheckBox* m_useAlternates = nullptr;
    CImageButton* m_process = nullptr;
    CImageButton* m_preview = nullptr;
    CImageButton* m_complete = nullptr;
    CImageButton* m_cancel = nullptr;
    CImageButton* m_ok = nullptr;
    CImageButton* m_refresh = nullptr;
    QLabel* m_stageIcons[4] = {};
};
