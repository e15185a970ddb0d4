"""Reading the client's requests and choosing what to answer."""

import os
import stat
import tempfile
import unittest

from gsdserver import catalogue, payload, wire
from gsdserver.inventory import parse_inventory, parse_packs, version_key
from gsdserver.wire import RequestError

CHALLENGE = bytes(ord("A") + i % 25 for i in range(100))


def list_fields(report):
    return b"1|0|0000|2|acct|".split(b"|")[:5] + report.split(b"|")


class WireTest(unittest.TestCase):
    def assertCode(self, code, call, *args):
        with self.assertRaises(RequestError) as caught:
            call(*args)
        self.assertEqual(caught.exception.code, code)

    def test_scramble_uses_the_key_in_turn_and_undoes_itself(self):
        self.assertEqual(wire.scramble(b"\0\0\0\0\0"), bytes((0x13, 0x07, 0x1C, 0x0A, 0x13)))
        self.assertEqual(wire.scramble(wire.scramble(CHALLENGE)), CHALLENGE)

    def test_form_decode(self):
        for encoded, decoded in [(b"a+b%7cc", b"a b|c"), (b"1%2e0", b"1.0"), (b"%E9%e9", b"\xe9\xe9"),
                                 (b"", b""), (b"%2b", b"+")]:
            self.assertEqual(wire.form_decode(encoded), decoded, encoded)
        for broken in (b"%", b"%7", b"%zz", b"a%7cb%"):
            self.assertCode(wire.INVALID_PROTOCOL, wire.form_decode, broken)

    def test_split_body_keeps_the_message_as_sent(self):
        raw = b"1|0|0000|2||" + wire.scramble(CHALLENGE)
        self.assertEqual(wire.split_body(b"ACTION_REQUEST=AUTHENTICATE+HOST&ACTION_MESSAGE=" + raw),
                         (wire.AUTHENTICATE, raw))
        self.assertEqual(wire.split_body(b"ACTION_REQUEST=RETURN+FILE&ACTION_MESSAGE=a%7cb&c"),
                         (wire.FILE, b"a%7cb&c"))
        for body in (b"ACTION_MESSAGE=x", b"ACTION_REQUEST=RETURN+FILE", b"ACTION_REQUEST=DELETE+ALL&ACTION_MESSAGE=x"):
            self.assertCode(wire.INVALID_PROTOCOL, wire.split_body, body)

    def test_answer_challenge(self):
        scrambled = wire.scramble(CHALLENGE)
        self.assertEqual(wire.answer_challenge(b"1|0|0000|2||" + scrambled), CHALLENGE)
        self.assertEqual(wire.answer_challenge(b"1|0|0000|2|me|" + scrambled, b"me"), CHALLENGE)
        cases = [
            (wire.INVALID_PROTOCOL, b"1|0|0000|3||" + scrambled, None),
            (wire.USER_DENIED, b"1|0|0000|2|you|" + scrambled, b"me"),
            (wire.ENCRYPTED_MESSAGE_FAILED, b"1|0|0000|2||" + scrambled[:99], None),
            (wire.ENCRYPTED_MESSAGE_FAILED, b"1|0|0000|2|", None),
            (wire.DECRYPT_FAILED, b"1|0|0000|2||" + CHALLENGE, None),  # sent in plain
        ]
        for code, message, account in cases:
            self.assertCode(code, wire.answer_challenge, message, account)

    def test_wrong_challenge_differs_but_stays_letters(self):
        for plain in (CHALLENGE, b"B" * 100):
            wrong = wire.wrong_challenge(plain)
            self.assertNotEqual(wrong, plain)
            self.assertEqual(len(wrong), 100)
            self.assertTrue(all(ord("A") <= b <= ord("Y") for b in wrong))

    def test_leading_number(self):
        for text, number in [(b"12", 12), (b" 17", 17), (b"-1", -1), (b"abc", 0), (b"", 0), (b"4x", 4), (b"+3", 3)]:
            self.assertEqual(wire.leading_number(text), number, text)


class InventoryTest(unittest.TestCase):
    def test_packs_are_split_despite_long_versions_and_bars_in_titles(self):
        cases = [
            (b"1|0|0|5|Bricks|2|0|0|1|Stones", 2, [([b"1", b"0", b"0"], 5, b"Bricks"), ([b"2", b"0", b"0"], 1, b"Stones")]),
            # The first pack found sends its whole version text.
            (b"1|0|0|7|5|Bricks|1|2|3|1|Stones", 2, [([b"1", b"0", b"0", b"7"], 5, b"Bricks"), ([b"1", b"2", b"3"], 1, b"Stones")]),
            (b"1|0|0|5|Red|Bricks|2|0|0|1|Stones", 2, [([b"1", b"0", b"0"], 5, b"Red|Bricks"), ([b"2", b"0", b"0"], 1, b"Stones")]),
            (b"1|0|0|5|Bricks|2|0|0|1|Grey|Stones", 2, [([b"1", b"0", b"0"], 5, b"Bricks"), ([b"2", b"0", b"0"], 1, b"Grey|Stones")]),
            (b"||||", 1, [([b"", b"", b""], None, b"")]),  # mask is not a number
        ]
        for report, count, expected in cases:
            packs = parse_packs(report.split(b"|"), count)
            if expected[0][1] is None:
                self.assertIsNone(packs, report)
                continue
            self.assertEqual([(p.version, p.mask, p.title) for p in packs], expected, report)

    def test_pack_count_must_match_the_fields(self):
        self.assertEqual(parse_packs([], 0), [])
        self.assertIsNone(parse_packs(b"1|0|0|5".split(b"|"), 1))
        self.assertIsNone(parse_packs(b"1|0|0|5|A".split(b"|"), 0))

    def test_a_hundred_packs_parse(self):
        report = b"|".join(b"1|0|%d|1|Pack %d" % (i, i) for i in range(100))
        self.assertEqual(len(parse_packs(report.split(b"|"), 100)), 100)

    def test_report_fields(self):
        inventory = parse_inventory(list_fields(b"1|0|3|1|1|0|127|-1|1|2|0|0|3|Bricks"))
        self.assertEqual(inventory.program_version, [b"1", b"0", b"3"])
        self.assertEqual(inventory.language_version, [b"1", b"1", b"0"])
        self.assertEqual((inventory.language_mask, inventory.interface_language), (127, -1))
        self.assertEqual(inventory.packs[0].title, b"Bricks")

    def test_broken_reports_name_the_part_that_failed(self):
        cases = [
            (wire.NEWEST_PROGRAM_FAILED, b"1|0"),
            (wire.NEWEST_LANGUAGE_FAILED, b"1|0|3|1|1|0"),
            (wire.NEWEST_LANGUAGE_FAILED, b"1|0|3|1|1|0|x|0|0"),
            (wire.NEWEST_PACKS_FAILED, b"1|0|3|1|1|0|127|0"),
            (wire.NEWEST_PACKS_FAILED, b"1|0|3|1|1|0|127|0|two"),
            (wire.NEWEST_PACKS_FAILED, b"1|0|3|1|1|0|127|0|2|1|0|0|1|A"),
        ]
        for code, report in cases:
            with self.assertRaises(RequestError) as caught:
                parse_inventory(list_fields(report))
            self.assertEqual(caught.exception.code, code, report)

    def test_versions_order_by_number_then_text(self):
        ordered = [[b"", b"", b""], [b"1", b"", b""], [b"1", b"2", b"0"], [b"1", b"10", b"0"], [b"1", b"10", b"0b"], [b"2"]]
        for lower, higher in zip(ordered, ordered[1:]):
            self.assertLess(version_key(lower), version_key(higher))
        self.assertEqual(version_key([b"1", b"0", b"0", b"7"]), version_key([b"1", b"0", b"0"]))


class CatalogueTest(unittest.TestCase):
    LINES = [
        b"1|Rubbleton: Gravelpit|Rubbleton Gravelpit|Quil|Program||1|1|0|127",
        b"4|Upgrade|Upgrade|Quil|Upgrade||1|2|0|127",
        b"2|Language|Language|Quil|Texts||1|1|0|127",
        b"3|Bricks|Bricks|Ann|Red bricks||1|2|0|3",
        b"3|Stones|Stones|Bob|Grey stones||1|0|0|1",
        b"7|Odd|Odd|Eve|Unknown kind||1|0|0|1",
        b"1234",
    ]

    def setUp(self):
        self.content = tempfile.TemporaryDirectory()
        self.addCleanup(self.content.cleanup)
        os.mkdir(os.path.join(self.content.name, "files"))
        with open(os.path.join(self.content.name, "catalogue.txt"), "wb") as f:
            f.write(b"# a comment\r\n\r\n" + b"\r\n".join(self.LINES) + b"\n")
        self.items = catalogue.read_catalogue(self.content.name)

    def offered(self, report):
        return catalogue.download_list(self.items, parse_inventory(list_fields(report))).split(b"\r\n")

    def test_lines_are_kept_verbatim_without_comments(self):
        self.assertEqual([item.line for item in self.items], self.LINES)

    def test_missing_catalogue_is_a_database_failure(self):
        with self.assertRaises(RequestError) as caught:
            catalogue.read_catalogue(os.path.join(self.content.name, "nowhere"))
        self.assertEqual(caught.exception.code, wire.DATABASE_FAILED)

    def test_only_what_the_client_lacks_in_that_version_is_offered(self):
        # Program 1.1.0, language 1.1.0, Bricks 1.2.0 and Stones 0.9.0 installed.
        offered = self.offered(b"1|1|0|1|1|0|127|0|2|1|2|0|3|Bricks|0|9|0|1|Stones")
        self.assertEqual(offered, [self.LINES[1], self.LINES[4], self.LINES[5], self.LINES[6]])

    def test_an_empty_installation_is_offered_everything_newer(self):
        offered = self.offered(b"1|0|0|1|0|0|1|0|0")
        self.assertEqual(offered, self.LINES)

    def test_a_damaged_file_reported_as_version_zero_is_offered_again(self):
        # Bricks 1.2.0 installed but damaged, the language file as well; the
        # whole first entry's version of Stones stays.
        offered = self.offered(b"1|1|0|0|0|0|127|0|2|0|0|0|3|Bricks|0|9|0|1|Stones")
        self.assertEqual(offered, [self.LINES[1], self.LINES[2], self.LINES[3], self.LINES[4], self.LINES[5],
                                   self.LINES[6]])

    def test_nothing_to_offer_is_an_empty_reply(self):
        items = [catalogue.Item(self.LINES[3])]
        inventory = parse_inventory(list_fields(b"1|0|0|1|0|0|1|0|1|1|2|0|3|Bricks"))
        self.assertEqual(catalogue.download_list(items, inventory), b"")

    def test_file_request_finds_the_item_by_its_fields(self):
        fields = b"1|0|0000|2||1|2|0|3|Bricks|3".split(b"|")
        self.assertIs(catalogue.find_requested_item(self.items, fields), self.items[3])
        cases = [(wire.FILE_NAME_FAILED, b"1|0|0000|2||1|2|0|3|Bricks|2"),
                 (wire.FILE_NAME_FAILED, b"1|0|0000|2||9|9|9|3|Bricks|3"),
                 (wire.DOWNLOAD_ID_FAILED, b"1|0|0000|2||1|2|0|3|Bricks")]
        for code, message in cases:
            with self.assertRaises(RequestError) as caught:
                catalogue.find_requested_item(self.items, message.split(b"|"))
            self.assertEqual(caught.exception.code, code, message)

    def test_payload_is_found_by_file_name_with_or_without_extension(self):
        files = os.path.join(self.content.name, "files")
        for name in ("Bricks.mdc", "Upgrade.exe", "Stones", "Odd.bytes"):
            open(os.path.join(files, name), "wb").close()
        for index, name in ((3, "Bricks.mdc"), (1, "Upgrade.exe"), (4, "Stones"), (5, "Odd.bytes")):
            self.assertEqual(catalogue.payload_path(self.content.name, self.items[index]), os.path.join(files, name))
        for line in (b"2|Language|Language", b"3|X|../catalogue.txt", b"3|X|", b"3|X|.."):
            with self.assertRaises(RequestError) as caught:
                catalogue.payload_path(self.content.name, catalogue.Item(line))
            self.assertEqual(caught.exception.code, wire.FILE_TO_RETURN_FAILED, line)

    def test_manifests_are_packed_once_unless_a_payload_is_there(self):
        files = os.path.join(self.content.name, "files")
        for name in ("Bricks.manifest", "Stones.manifest", "Stones.mdc"):
            open(os.path.join(files, name), "w").close()
        tool = os.path.join(self.content.name, "fake-mdctool")
        with open(tool, "w") as f:
            f.write('#!/bin/sh\n[ "$1" = pack ] && cp "$3" "$2"\n')
        os.chmod(tool, stat.S_IRWXU)
        generated = os.path.join(self.content.name, "generated")
        self.assertEqual(catalogue.prepare_payloads(self.content.name, generated, tool), ["Bricks"])
        self.assertEqual(catalogue.payload_path(self.content.name, self.items[3], generated),
                         os.path.join(generated, "Bricks.mdc"))
        with open(tool, "w") as f:
            f.write("#!/bin/sh\necho broken >&2; exit 3\n")
        with self.assertRaisesRegex(RuntimeError, "Bricks.manifest: broken"):
            catalogue.prepare_payloads(self.content.name, os.path.join(self.content.name, "other"), tool)


class SyntheticPayloadTest(unittest.TestCase):
    def test_sizes(self):
        cases = [("4096", 4096), ("64K", 65536), ("200M\n", 200 * 2 ** 20), ("1g", 2 ** 30), (" 3 K ", 3072)]
        for text, size in cases:
            self.assertEqual(payload.parse_size(text), size, text)
        for text in ("", "M", "1.5M", "-1", "1T", "12 34"):
            with self.assertRaises(ValueError, msg=text):
                payload.parse_size(text)

    def test_content_follows_from_the_offset(self):
        size = 3 * 65536 + 1000
        expected = bytearray(o % 251 for o in range(size))
        for block in range(0, size, 65536):
            expected[block:block + 8] = block.to_bytes(8, "big")
        chunks = list(payload.SyntheticPayload(size).chunks())
        self.assertEqual(b"".join(chunks), bytes(expected))
        self.assertLessEqual(max(map(len, chunks)), payload.STREAM_CHUNK)


if __name__ == "__main__":
    unittest.main()
