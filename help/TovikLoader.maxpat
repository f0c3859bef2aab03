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
          "text": "TovikLoader: project upload, device discovery, OSC targets",
          "patching_rect": [
            20,
            10,
            484,
            22
          ]
        }
      },
      {
        "box": {
          "id": "about",
          "maxclass": "comment",
          "text": "@host and @port name the device. load FILE uploads a project; target sets the device's OSC targets; import reads a file into the project.",
          "patching_rect": [
            20,
            32,
            1116,
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
          "id": "port",
          "maxclass": "message",
          "text": "port 48002",
          "patching_rect": [
            20,
            110,
            100,
            22
          ]
        }
      },
      {
        "box": {
          "id": "load",
          "maxclass": "message",
          "text": "load project.tvk",
          "patching_rect": [
            140,
            110,
            148,
            22
          ]
        }
      },
      {
        "box": {
          "id": "target",
          "maxclass": "message",
          "text": "target 8 9000",
          "patching_rect": [
            300,
            110,
            124,
            22
          ]
        }
      },
      {
        "box": {
          "id": "obj",
          "maxclass": "newobj",
          "text": "TovikLoader @host 127.0.0.1 @port 48002",
          "patching_rect": [
            20,
            160,
            332,
            22
          ],
          "numinlets": 1,
          "numoutlets": 2
        }
      },
      {
        "box": {
          "id": "left",
          "maxclass": "newobj",
          "text": "print loader",
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
          "id": "scanhint",
          "maxclass": "comment",
          "text": "On a real network: a message box 'scan' finds devices by broadcast, and '@host auto' uses the device found. Not used here.",
          "patching_rect": [
            20,
            250,
            996,
            22
          ]
        }
      },
      {
        "box": {
          "id": "ready",
          "maxclass": "message",
          "text": "ready: click load with tovik-sim on 127.0.0.1 port 48002",
          "patching_rect": [
            220,
            110,
            330,
            22
          ],
          "numinlets": 2,
          "numoutlets": 1
        }
      },
      {
        "box": {
          "id": "say",
          "maxclass": "newobj",
          "text": "print loader",
          "patching_rect": [
            220,
            150,
            90,
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
            "port",
            0
          ]
        }
      },
      {
        "patchline": {
          "source": [
            "port",
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
            "load",
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
            "target",
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
            "left",
            0
          ]
        }
      },
      {
        "patchline": {
          "source": [
            "lb",
            0
          ],
          "destination": [
            "ready",
            0
          ]
        }
      },
      {
        "patchline": {
          "source": [
            "ready",
            0
          ],
          "destination": [
            "say",
            0
          ]
        }
      }
    ]
  }
}
