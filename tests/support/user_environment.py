"""The environment of a user of the test's own, for every Python test that starts a program.

A program started with it sees neither the packages installed on the machine (the registration
for every user under /usr/share) nor the caller's home, settings or session bus.
"""

import os

NAMES = ("HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS", "DBUS_SESSION_BUS_ADDRESS")


def user_environment(home, bus=None, **extra):
    """os.environ with the user's variables rooted at `home` (config/, data/, system-data/) and
    the session bus at `bus` (None: an address where no bus answers), then `extra`."""
    home = str(home)
    env = dict(os.environ,
               HOME=home,
               XDG_CONFIG_HOME=os.path.join(home, "config"),
               XDG_DATA_HOME=os.path.join(home, "data"),
               XDG_DATA_DIRS=os.path.join(home, "system-data"),
               DBUS_SESSION_BUS_ADDRESS=bus or "unix:path=" + os.path.join(home, "no-session-bus"))
    env.update(extra)
    return env
