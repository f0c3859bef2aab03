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
          "text": "mensor: file size reporter",
          "patching_rect": [
            20,
            10,
            228,
            22
          ]
        }
      },
      {
        "box": {
          "id": "about",
          "maxclass": "comment",
          "text": "open NAME measures a file found in the search path (later, from the low-priority queue) and sends its size, or -1 when it is not found; bang sends the last size again.",
          "patching_rect": [
            20,
            32,
            764,
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
          "id": "bang",
          "maxclass": "message",
          "text": "bang",
          "patching_rect": [
            20,
            110,
            60,
            22
          ]
        }
      },
      {
        "box": {
          "id": "open",
          "maxclass": "message",
          "text": "open mensor.maxpat",
          "patching_rect": [
            120,
            110,
            164,
            22
          ]
        }
      },
      {
        "box": {
          "id": "missing",
          "maxclass": "message",
          "text": "open no-such-file.txt",
          "patching_rect": [
            300,
            110,
            188,
            22
          ]
        }
      },
      {
        "box": {
          "id": "obj",
          "maxclass": "newobj",
          "text": "mensor mensor.maxpat",
          "patching_rect": [
            20,
            160,
            180,
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
          "text": "print mensor",
          "patching_rect": [
            20,
            210,
            116,
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
            "bang",
            0
          ]
        }
      },
      {
        "patchline": {
          "source": [
            "bang",
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
            "open",
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
            "missing",
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
