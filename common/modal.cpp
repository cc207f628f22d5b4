#include "common/modal.h"

#include <QDialog>

namespace Modal {
Override<Runner> &runner()
{
    static Override<Runner> current([](QDialog *dialog) { return dialog->exec(); });
    return current;
}
} // namespace Modal
