// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/own_environment.h"

#include <QtGlobal>

void OwnEnvironment::setUnlessSet(const char* name, const char* value) {
    if (qEnvironmentVariableIsSet(name)) return;
    qputenv(name, value);
    set_.append(QByteArray(name));
}

void OwnEnvironment::takeBack() {
    for (const QByteArray& name : set_) qunsetenv(name.constData());
    set_.clear();
}
