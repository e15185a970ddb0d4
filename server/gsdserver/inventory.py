"""The inventory report of a download-list request: what the client has
installed, as fields 5 onward of its action message."""

from .wire import (NEWEST_LANGUAGE_FAILED, NEWEST_PACKS_FAILED, NEWEST_PROGRAM_FAILED,
                   RequestError, is_decimal)


class Pack:
    """One installed object pack as the report gives it."""

    def __init__(self, version, mask, title):
        self.version = version  # list of version parts (three, or more for a whole version text)
        self.mask = mask        # language mask, int
        self.title = title      # bytes

    def __repr__(self):
        return "Pack(%r, %r, %r)" % (self.version, self.mask, self.title)


class Inventory:
    def __init__(self, program_version, language_version, language_mask, interface_language, packs):
        self.program_version = program_version
        self.language_version = language_version
        self.language_mask = language_mask
        self.interface_language = interface_language
        self.packs = packs


def parse_inventory(fields):
    """Reads fields 5 onward of a download-list message: program version
    (5-7), language file version and mask (8-11), interface language (12),
    pack count (13) and five fields per pack: three version parts, mask,
    title. Raises RequestError with the code of the part that is missing or
    malformed."""
    if len(fields) < 8:
        raise RequestError(NEWEST_PROGRAM_FAILED, "no program version")
    if len(fields) < 13 or not is_decimal(fields[11]) or not is_decimal(fields[12]):
        raise RequestError(NEWEST_LANGUAGE_FAILED, "no language version, mask or interface language")
    if len(fields) < 14 or not is_decimal(fields[13]) or int(fields[13]) < 0:
        raise RequestError(NEWEST_PACKS_FAILED, "no pack count")
    packs = parse_packs(fields[14:], int(fields[13]))
    if packs is None:
        raise RequestError(NEWEST_PACKS_FAILED, "the pack report does not hold %s packs" % fields[13].decode())
    return Inventory(fields[5:8], fields[8:11], int(fields[11]), int(fields[12]), packs)


def parse_packs(fields, count):
    """Splits the fields after the pack count into `count` packs, or returns
    None when they cannot be read as that many.

    Two things make the layout irregular: the pack the client's directory
    search finds first sends its whole version text (1|0|0|7 is four parts),
    and a title may itself contain "|". Both add fields, so the split is a
    search: every mask must be a decimal number and every field must belong to
    a pack. Readings whose versions are numbers win; then extra fields go to
    the first pack's version before any title."""
    surplus = len(fields) - 5 * count
    if surplus < 0:
        return None

    def choices(index, extra_so_far):
        # (version extras, title extras) in order of preference.
        left = surplus - extra_so_far
        for version_extra in (range(left, -1, -1) if index == 0 else (0,)):
            mask_at = 5 * index + extra_so_far + 3 + version_extra
            if mask_at >= len(fields) or not is_decimal(fields[mask_at]):
                continue
            for title_extra in range(0, left - version_extra + 1):
                yield version_extra, title_extra

    # cost[i][e]: how many version parts are not numbers in the best reading
    # of packs i onward when the packs before them took e extra fields (None:
    # no reading). Versions of numbers are what the client sends, so the
    # reading with the fewest odd parts wins; among equals, the order of
    # choices(). Filled from the last pack back, so the walk below never has
    # to undo a choice.
    def odd_parts(index, extra, version_extra):
        start = 5 * index + extra
        return sum(1 for part in fields[start:start + 3 + version_extra] if not part.isdigit())

    def options(index, extra):
        for version_extra, title_extra in choices(index, extra):
            rest = cost[index + 1][extra + version_extra + title_extra]
            if rest is not None:
                yield rest + odd_parts(index, extra, version_extra), version_extra, title_extra

    cost = [[None] * (surplus + 1) for _ in range(count + 1)]
    cost[count][surplus] = 0
    for index in range(count - 1, -1, -1):
        for extra in range(surplus + 1):
            cost[index][extra] = min((c for c, _, _ in options(index, extra)), default=None)
    if cost[0][0] is None:
        return None

    packs = []
    extra = 0
    for index in range(count):
        best = cost[index][extra]
        version_extra, title_extra = next((v, t) for c, v, t in options(index, extra) if c == best)
        start = 5 * index + extra
        mask_at = start + 3 + version_extra
        end = mask_at + 2 + title_extra
        packs.append(Pack(fields[start:mask_at], int(fields[mask_at]), b"|".join(fields[mask_at + 1:end])))
        extra += version_extra + title_extra
    return packs


def version_key(parts):
    """Orders version parts: part by part, an empty part first, then numbers
    by value, then other text by its bytes. Only the first three parts count."""
    parts = (list(parts) + [b"", b"", b""])[:3]
    return [(0, 0, b"") if not p else (1, int(p), b"") if p.isdigit() else (2, 0, p) for p in parts]
