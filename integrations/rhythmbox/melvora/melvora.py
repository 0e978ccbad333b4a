# Melvora's plugin for Rhythmbox 3.4: what Rhythmbox's own D-Bus interface
# lacks, on Rhythmbox's own connection (bus name org.gnome.Rhythmbox3).
#
# Every call is answered from the main loop and never with an error: an
# unknown location, or anything that goes wrong inside, gives false or an
# empty list. Refresh and Reveal may wait on the main loop for Rhythmbox,
# and answer within WAIT_LIMIT_MS, below the 5 s that Melvora gives a call.

import os
import sys
import traceback

from gi.repository import Gio, GLib, GObject, Gtk, Peas, RB

OBJECT_PATH = '/org/melvora/Rhythmbox'
INTERFACE_XML = '''
<node>
  <interface name="org.melvora.Rhythmbox">
    <method name="Version">
      <arg name="version" type="s" direction="out"/>
    </method>
    <method name="SelectedLocations">
      <arg name="locations" type="as" direction="out"/>
    </method>
    <method name="Reveal">
      <arg name="location" type="s" direction="in"/>
      <arg name="shown" type="b" direction="out"/>
    </method>
    <method name="Refresh">
      <arg name="location" type="s" direction="in"/>
      <arg name="read" type="b" direction="out"/>
    </method>
    <method name="Save">
      <arg name="saved" type="b" direction="out"/>
    </method>
  </interface>
</node>
'''
# Each method's answer: its signature and what it answers on failure.
ANSWERS = {
    'Version': ('(s)', ''),
    'SelectedLocations': ('(as)', []),
    'Reveal': ('(b)', False),
    'Refresh': ('(b)', False),
    'Save': ('(b)', False),
}
POLL_MS = 10
WAIT_LIMIT_MS = 3000

LOCATION = RB.RhythmDBPropType.LOCATION
MTIME = RB.RhythmDBPropType.MTIME
HIDDEN = RB.RhythmDBPropType.HIDDEN


def log_failure(what):
    print('melvora: %s failed' % what, file=sys.stderr)
    traceback.print_exc()


def modification_time(location):
    """The file's modification time in whole seconds, as Rhythmbox keeps it;
    None when location names no local file that is there."""
    try:
        return int(os.stat(GLib.filename_from_uri(location)[0]).st_mtime)
    except (GLib.Error, OSError):
        return None


def uncover(view, page):
    """Brings the entry view to the front of its page: the library page
    shows its import pane instead (Add Music, or an empty library at start)
    until that pane is closed."""
    child = view
    while child.get_parent() not in (None, page) and not isinstance(child.get_parent(), Gtk.Notebook):
        child = child.get_parent()
    notebook = child.get_parent()
    if not isinstance(notebook, Gtk.Notebook):
        return
    shown = notebook.get_nth_page(notebook.get_current_page())
    if shown is not child and type(shown).__gtype__.name == 'RBImportDialog':
        shown.emit('close')  # as its Close button or Escape
    notebook.set_current_page(notebook.page_num(child))


class MelvoraPlugin(GObject.Object, Peas.Activatable):
    object = GObject.Property(type=GObject.Object)

    def do_activate(self):
        self.waits = {}  # main loop source id -> the answer it still owes
        self.connection = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        interface = Gio.DBusNodeInfo.new_for_xml(INTERFACE_XML).interfaces[0]
        self.registration = self.connection.register_object(
            OBJECT_PATH, interface, self.on_call, None, None)

    def do_deactivate(self):
        self.connection.unregister_object(self.registration)
        for source, answer in list(self.waits.items()):
            GLib.source_remove(source)
            answer(None)
        self.waits.clear()
        self.connection = None

    def on_call(self, connection, sender, path, interface, method, parameters, invocation):
        signature, failure = ANSWERS[method]
        answered = []

        def answer(value):
            if not answered:
                answered.append(True)
                invocation.return_value(GLib.Variant(signature, (failure if value is None else value,)))

        try:
            getattr(self, 'call_' + method)(answer, *parameters.unpack())
        except Exception:
            log_failure(method)
            answer(None)

    def wait_for(self, ready, answer, then=lambda: True):
        """Answers then() once ready() holds, checked on the main loop;
        false when it does not hold within WAIT_LIMIT_MS."""
        deadline = GLib.get_monotonic_time() + WAIT_LIMIT_MS * 1000

        def check():
            try:
                if ready():
                    result = then()
                elif GLib.get_monotonic_time() < deadline:
                    return GLib.SOURCE_CONTINUE
                else:
                    result = False
            except Exception:
                log_failure('waiting')
                result = None
            self.waits.pop(source, None)
            answer(result)
            return GLib.SOURCE_REMOVE

        if ready():
            answer(then())
            return
        source = GLib.timeout_add(POLL_MS, check)
        self.waits[source] = answer

    def song_at(self, location):
        """The library's entry at location, or None."""
        shell = self.object
        entry = shell.props.db.entry_lookup_by_location(location)
        if entry is None:
            return None
        if entry.get_entry_type().props.name != shell.props.library_source.props.entry_type.props.name:
            return None
        return entry

    def call_Version(self, answer):
        answer('1')

    def call_SelectedLocations(self, answer):
        page = self.object.props.selected_page
        view = page.get_entry_view() if isinstance(page, RB.Source) else None
        if view is None:
            answer([])
            return
        answer([entry.get_string(LOCATION) for entry in view.get_selected_entries()])

    def call_Reveal(self, answer, location):
        entry = self.song_at(location)
        if entry is None or entry.get_boolean(HIDDEN):  # hidden: a file found missing
            answer(False)
            return
        shell = self.object
        library = shell.props.library_source
        shell.props.display_page_tree.select(library)
        view = library.get_entry_view()
        uncover(view, library)
        if not view.get_entry_contained(entry):
            # Clears the search text and the browser's genre, artist and album.
            library.emit('reset-filters')

        def select():
            view.select_entry(entry)  # replaces the selection
            view.scroll_to_entry(entry)
            return True

        self.wait_for(lambda: view.get_entry_contained(entry), answer, select)

    def call_Refresh(self, answer, location):
        entry = self.song_at(location)
        if entry is None:
            answer(False)
            return
        db = self.object.props.db
        on_disk = modification_time(location)
        stored = entry.get_ulong(MTIME)
        if on_disk is None:
            db.add_uri(location)  # Rhythmbox finds it missing and hides it
            answer(False)
            return
        if on_disk == stored:
            # Rhythmbox reads a file again only when its modification time
            # differs from the stored one: a tag edit under a restored time
            # needs the stored one cleared first.
            db.entry_set(entry, MTIME, GObject.Value(GObject.TYPE_ULONG, 0))
            db.commit()
            stored = 0
        db.add_uri(location)
        # Reading keeps the play count, rating and first-seen, and stores the
        # file's time, which tells us it is done.
        self.wait_for(lambda: entry.get_ulong(MTIME) != stored, answer)

    def call_Save(self, answer):
        # Returns once the file is written (an unchanged library is not written).
        self.object.props.db.save()
        answer(True)
