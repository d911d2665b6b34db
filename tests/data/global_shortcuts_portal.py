'''A desktop portal that offers only GlobalShortcuts and answers every request at once.

Parameters: "response", the code every request answers with (0 granted, 1 refused by the user);
"bind": false answers BindShortcuts with success and no bound shortcuts, as KDE does for a
program it has no application ID for; "early": true sends every Response before the call's own
reply. Shortcuts are pressed by the test through the mock's EmitSignal.
'''

import dbus
from dbusmock import mockobject
from gi.repository import GLib

BUS_NAME = 'org.freedesktop.portal.Desktop'
MAIN_OBJ = '/org/freedesktop/portal/desktop'
MAIN_IFACE = 'org.freedesktop.portal.GlobalShortcuts'
SYSTEM_BUS = False

REQUEST_IFACE = 'org.freedesktop.portal.Request'
SESSION_IFACE = 'org.freedesktop.portal.Session'


def respond(mock, options, results):
    # Our own request path, not the one made from the caller's name: callers must follow the
    # path the call returns.
    path = '/org/freedesktop/portal/desktop/request/mock/' + str(options['handle_token'])
    mock.AddObject(path, REQUEST_IFACE, {}, [])

    def emit():
        mockobject.objects[path].EmitSignal(REQUEST_IFACE, 'Response', 'ua{sv}',
                                            [dbus.UInt32(mock.response), results])
        return False

    if mock.early:
        emit()
    else:
        # After the call's reply has gone out.
        GLib.idle_add(emit)
    return dbus.ObjectPath(path)


def create_session(mock, options):
    session = '/org/freedesktop/portal/desktop/session/mock/' + str(options['session_handle_token'])
    mock.AddObject(session, SESSION_IFACE, {}, [('Close', '', '', '')])
    return respond(mock, options, {'session_handle': dbus.String(session)})


def bind_shortcuts(mock, _session, shortcuts, _parent_window, options):
    bound = dbus.Array(shortcuts if mock.bind else [], signature='(sa{sv})')
    return respond(mock, options, {'shortcuts': bound})


def load(mock, parameters):
    mock.response = parameters.get('response', 0)
    mock.bind = parameters.get('bind', True)
    mock.early = parameters.get('early', False)
    mock.AddMethods(MAIN_IFACE, [
        ('CreateSession', 'a{sv}', 'o', create_session),
        ('BindShortcuts', 'oa(sa{sv})sa{sv}', 'o', bind_shortcuts),
    ])
    mock.AddProperty(MAIN_IFACE, 'version', dbus.UInt32(1))
