#pragma once
// Answers the engine's print dialog the way its "Print to File" would: a PDF at the path.

#include "common/modal.h"

#include <QPrintDialog>
#include <QPrinter>

inline Modal::Runner printToFile(const QString &pdf)
{
    return [pdf](QDialog *dialog) {
        auto *print = qobject_cast<QPrintDialog *>(dialog);
        if (!print)
            return int(QDialog::Rejected);
        print->printer()->setOutputFormat(QPrinter::PdfFormat);
        print->printer()->setOutputFileName(pdf);
        return int(QDialog::Accepted);
    };
}
