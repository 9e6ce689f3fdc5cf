"""What the resources hold: every icon and picture with its resource id, source and size.

The generator draws from this table and the check reads it back against res/resource.h,
res/Sivrel.rc and the committed files, so an id, a size or a file name lives in one place.
"""

DPI_SETS = (96, 120, 144, 192)
ICON_SIZES = (256, 128, 64, 48, 32, 16)


def scaled(pixels, dpi):
    """Size at `dpi` of something `pixels` long at 96 DPI: nearest pixel, halves rounded up."""
    return (2 * pixels * dpi + 96) // (2 * 96)


class Picture:
    """One picture of the comments window, drawn in four DPI sets from one vector source."""

    def __init__(self, stem, macro, ids, width, height, what):
        self.stem = stem          # res/art/bitmaps/<stem>.svg -> res/bitmaps/<stem>-<dpi>.bmp
        self.macro = macro        # IDB_<macro>_<dpi>
        self.ids = dict(zip(DPI_SETS, ids))
        self.width = width        # 96-DPI size
        self.height = height
        self.what = what

    def size(self, dpi):
        return scaled(self.width, dpi), scaled(self.height, dpi)

    def id_name(self, dpi):
        return "IDB_%s_%d" % (self.macro, dpi)

    def file(self, dpi):
        return "bitmaps/%s-%d.bmp" % (self.stem, dpi)


PICTURES = (
    Picture("skin", "SKIN", (202, 256, 247, 240), 454, 190, "skin background"),
    Picture("title-idle", "TITLE_IDLE", (229, 261, 252, 241), 234, 36, "idle title"),
    Picture("title-recording", "TITLE_RECORDING", (230, 262, 253, 242), 208, 23, "recording title"),
    Picture("title-paused", "TITLE_PAUSED", (295, 303, 304, 305), 154, 21, "paused title"),
    Picture("start", "START", (228, 260, 251, 244), 79, 29, "Start face"),
    Picture("submit", "SUBMIT", (279, 280, 281, 282), 79, 30, "Submit face"),
    Picture("submitted", "SUBMITTED", (283, 284, 285, 286), 79, 29, "submitted face"),
    Picture("pause", "PAUSE", (291, 292, 293, 294), 23, 25, "pause face"),
    Picture("resume", "RESUME", (298, 300, 301, 302), 23, 25, "resume face"),
    Picture("close", "CLOSE", (223, 257, 248, 245), 21, 22, "close face"),
    Picture("stop", "STOP", (287, 288, 289, 290), 25, 25, "stop face"),
    Picture("what-is-this", "WHAT_IS_THIS", (268, 269, 270, 271), 65, 13, "What is this? link"),
    Picture("uploading", "UPLOADING", (306, 307, 308, 309), 115, 30, "uploading picture"),
    Picture("uploaded", "UPLOADED", (310, 311, 312, 313), 105, 26, "uploaded picture"),
)


class Icon:
    """One icon resource: six 32-bit images from up to three vector sources.

    The 256 to 48 pixel images come from <stem>.svg; 32 and 16 pixels have their own
    pixel-aligned drawings (<stem>-32.svg, <stem>-16.svg), since a scaled-down large
    drawing turns to mush there and the tray scales the 32-pixel image down to 16.
    """

    def __init__(self, stem, macro, number, what):
        self.stem = stem
        self.macro = macro
        self.number = number
        self.what = what

    def source(self, size):
        if size in (16, 32):
            return "icons/%s-%d.svg" % (self.stem, size)
        return "icons/%s.svg" % self.stem

    @property
    def file(self):
        return "icons/%s.ico" % self.stem


ICONS = (
    Icon("app", "IDI_APP", 128, "application"),
    Icon("status-recording", "IDI_STATUS_RECORDING", 207, "recording"),
    Icon("status-not-connected", "IDI_STATUS_NOT_CONNECTED", 208, "not connected"),
    Icon("status-not-authorized", "IDI_STATUS_NOT_AUTHORIZED", 254, "connected, not authorised"),
    Icon("status-monitored", "IDI_STATUS_MONITORED", 255, "connected and monitored"),
    Icon("status-connected", "IDI_STATUS_CONNECTED", 210, "connected"),
    Icon("status-recording-legacy", "IDI_STATUS_RECORDING_LEGACY", 277, "recording (before Windows 8)"),
    Icon("status-not-connected-legacy", "IDI_STATUS_NOT_CONNECTED_LEGACY", 275, "not connected (before Windows 8)"),
    Icon("status-not-authorized-legacy", "IDI_STATUS_NOT_AUTHORIZED_LEGACY", 274, "not authorised (before Windows 8)"),
    Icon("status-monitored-legacy", "IDI_STATUS_MONITORED_LEGACY", 278, "monitored (before Windows 8)"),
    Icon("status-connected-legacy", "IDI_STATUS_CONNECTED_LEGACY", 273, "connected (before Windows 8)"),
)

# The busy animation: 26 x 26, eight frames of 10/100 s, "do not dispose", 64 colours.
BUSY_GIF = "gif/busy.gif"
BUSY_GIF_ID = ("IDR_BUSY_GIF", 239)
BUSY_SIZE = 26
BUSY_FRAMES = 8
BUSY_DELAY = 10
BUSY_DISPOSAL = 1
BUSY_COLOURS = 64
