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
          "text": "rklbuf: 256-atom list buffer",
          "patching_rect": [
            20,
            10,
            244,
            22
          ]
        }
      },
      {
        "box": {
          "id": "about",
          "maxclass": "comment",
          "text": "Arguments: size and base. Elements are stored at the cursor; after each write the first SIZE elements come out of the left outlet (stop and start turn that off and on), then the current index (cursor plus base) out of the right.",
          "patching_rect": [
            20,
            32,
            1068,
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
          "text": "list 10 20, goto 3, 7, bang",
          "patching_rect": [
            20,
            110,
            236,
            22
          ]
        }
      },
      {
        "box": {
          "id": "stop",
          "maxclass": "message",
          "text": "stop",
          "patching_rect": [
            260,
            110,
            60,
            22
          ]
        }
      },
      {
        "box": {
          "id": "start",
          "maxclass": "message",
          "text": "start",
          "patching_rect": [
            320,
            110,
            60,
            22
          ]
        }
      },
      {
        "box": {
          "id": "size",
          "maxclass": "message",
          "text": "size 6",
          "patching_rect": [
            390,
            110,
            68,
            22
          ]
        }
      },
      {
        "box": {
          "id": "obj",
          "maxclass": "newobj",
          "text": "rklbuf 4 1",
          "patching_rect": [
            20,
            160,
            100,
            22
          ],
          "numinlets": 4,
          "numoutlets": 2
        }
      },
      {
        "box": {
          "id": "all",
          "maxclass": "newobj",
          "text": "print buffer",
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
          "id": "cur",
          "maxclass": "newobj",
          "text": "print cursor",
          "patching_rect": [
            200,
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
            "stop",
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
            "start",
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
            "size",
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
            "all",
            0
          ]
        }
      },
      {
        "patchline": {
          "source": [
            "obj",
            1
          ],
          "destination": [
            "cur",
            0
          ]
        }
      }
    ]
  }
}
