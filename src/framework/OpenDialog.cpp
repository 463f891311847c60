#include "OpenDialog.h"

#include "UiThread.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>

OpenDialog::OpenDialog()
{
    RequireMainThread();
}

std::shared_ptr<FolderItem> OpenDialog::ShowModal()
{
    RequireMainThread();
    QFileDialog dialog(nullptr, QApplication::applicationName());
    dialog.setObjectName("OpenDialog");
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Qt's own dialog behaves alike on every desktop and can be driven by
    // tests.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return nullptr;
    return std::make_shared<FolderItem>(QFile::encodeName(dialog.selectedFiles().first()).toStdString());
}
