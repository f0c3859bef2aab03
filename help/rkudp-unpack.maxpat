{
  "patcher": {
    "fileversion": 1,
    "rect": [
      100,
      100,
      760,
      520
    ],
    "boxes": [
      {
        "box": {
          "id": "title",
          "maxclass": "comment",
          "text": "rkudp-unpack: reads a controller datagram",
          "patching_rect": [
            20,
            10,
            348,
            22
          ]
        }
      },
      {
        "box": {
          "id": "about",
          "maxclass": "comment",
          "text": "Takes FullPacket datagrams (here from rkudp-pack) and reports each message right to left: type (outlet 3), buffer ID (2), start index (1), then the data (0).",
          "patching_rect": [
            20,
            32,
            636,
            22
          ]
        }
      },
      {
        "box": {
          "id": "lb",
          "maxclass": "newobj",
          "text": "loadbang",
          "patching_rect": [
            20,
            70,
            84,
            22
          ],
          "numinlets": 1,
          "numoutlets": 1
        }
      },
      {
        "box": {
          "id": "demo",
          "maxclass": "message",
          "text": "goto 1, list 10 20 30, id 254, bang",
          "patching_rect": [
            20,
            110,
            300,
            22
          ]
        }
      },
      {
        "box": {
          "id": "pack",
          "maxclass": "newobj",
          "text": "rkudp-pack 1",
          "patching_rect": [
            20,
            160,
            116,
            22
          ],
          "numinlets": 4,
          "numoutlets": 1
        }
      },
      {
        "box": {
          "id": "obj",
          "maxclass": "newobj",
          "text": "rkudp-unpack",
          "patching_rect": [
            20,
            210,
            116,
            22
          ],
          "numinlets": 3,
          "numoutlets": 4
        }
      },
      {
        "box": {
          "id": "out",
          "maxclass": "newobj",
          "text": "print rkudp-unpack",
          "patching_rect": [
            20,
            260,
            164,
            22
          ],
          "numinlets": 1,
          "numoutlets": 0
        }
      }
    ],
    "lines": [
      {
        "patchline": {
          "source": [
            "lb",
            0
          ],
          "destination": [
            "demo",
            0
          ]
        }
      },
      {
        "patchline": {
          "source": [
            "demo",
            0
          ],
          "destination": [
            "pack",
            0
          ]
        }
      },
      {
        "patchline": {
          "source": [
            "pack",
            0
          ],
          "destination": [
            "obj",
            0
          ]
        }
      },
      {
        "patchline": {
          "source": [
            "obj",
            0
          ],
          "destination": [
            "out",
            0
          ]
        }
      }
    ]
  }
}
