// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>

// Settings the program gives Qt through its own environment before the application object
// exists. They are the program's own: taken back out once Qt has read them, so that nothing
// the program starts (the About link's browser opener) inherits them. A value the user set
// stays, as the user's.
class OwnEnvironment {
  public:
    // Sets `name` to `value` unless the environment already holds `name`.
    void setUnlessSet(const char* name, const char* value);
    // Removes every variable set above; run it once the application object exists.
    void takeBack();
    const QList<QByteArray>& names() const { return set_; }

  private:
    QList<QByteArray> set_;
};
