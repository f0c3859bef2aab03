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
          "text": "rk+cmd: hex command encoder",
          "patching_rect": [
            20,
            10,
            236,
            22
          ]
        }
      },
      {
        "box": {
          "id": "about",
          "maxclass": "comment",
          "text": "Collects bytes and, on bang, sends the command as the ASCII codes of its hex text.",
          "patching_rect": [
            20,
            32,
            676,
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
          "text": "1, 171, bang",
          "patching_rect": [
            20,
            110,
            116,
            22
          ]
        }
      },
      {
        "box": {
          "id": "more",
          "maxclass": "message",
          "text": "0 255 16, bang",
          "patching_rect": [
            200,
            110,
            132,
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
            340,
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
          "text": "rk+cmd",
          "patching_rect": [
            20,
            160,
            68,
            22
          ],
          "numinlets": 1,
          "numoutlets": 1
        }
      },
      {
        "box": {
          "id": "out",
          "maxclass": "newobj",
          "text": "print rk+cmd",
          "patching_rect": [
            20,
            210,
            116,
            22
          ],
          "numinlets": 1,
          "numoutlets": 0
        }
      },
      {
        "box": {
          "id": "hint",
          "maxclass": "comment",
          "text": "Click the message boxes to send more; the loadbang runs the first one.",
          "patching_rect": [
            20,
            250,
            580,
            22
          ]
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
            "more",
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
