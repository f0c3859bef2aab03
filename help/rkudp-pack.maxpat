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
          "text": "rkudp-pack: builds a controller datagram",
          "patching_rect": [
            20,
            10,
            340,
            22
          ]
        }
      },
      {
        "box": {
          "id": "about",
          "maxclass": "comment",
          "text": "Nothing is collected until a start index (goto, 1 or more) and a buffer ID (id, 1-255) are set: bytes sent before are dropped without a word. Then ints and lists go in from that index, and bang sends the datagram as a FullPacket.",
          "patching_rect": [
            20,
            32,
            844,
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
          "text": "10, 20, bang, goto 1, id 1, 10, 20, 30, bang",
          "patching_rect": [
            20,
            110,
            260,
            22
          ]
        }
      },
      {
        "box": {
          "id": "reset",
          "maxclass": "message",
          "text": "reset",
          "patching_rect": [
            300,
            110,
            60,
            22
          ]
        }
      },
      {
        "box": {
          "id": "obj",
          "maxclass": "newobj",
          "text": "rkudp-pack",
          "patching_rect": [
            20,
            160,
            100,
            22
          ],
          "numinlets": 4,
          "numoutlets": 1
        }
      },
      {
        "box": {
          "id": "out",
          "maxclass": "newobj",
          "text": "print rkudp-pack",
          "patching_rect": [
            20,
            210,
            148,
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
            "obj",
            0
          ]
        }
      },
      {
        "patchline": {
          "source": [
            "reset",
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
