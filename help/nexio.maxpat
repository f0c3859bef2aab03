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
          "text": "nexio: TCP/UDP client over IPv4 and IPv6",
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
          "text": "Arguments or config: host and service, @family, @socktype, @protocol. bang or connect connects; numbers are sent as bytes; received bytes come out left, the status (0, 1, 2) right.",
          "patching_rect": [
            20,
            32,
            1460,
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
          "id": "config",
          "maxclass": "message",
          "text": "config 127.0.0.1 7",
          "patching_rect": [
            20,
            110,
            164,
            22
          ]
        }
      },
      {
        "box": {
          "id": "connect",
          "maxclass": "message",
          "text": "bang",
          "patching_rect": [
            200,
            110,
            60,
            22
          ]
        }
      },
      {
        "box": {
          "id": "send",
          "maxclass": "message",
          "text": "72 105 10",
          "patching_rect": [
            260,
            110,
            92,
            22
          ]
        }
      },
      {
        "box": {
          "id": "close",
          "maxclass": "message",
          "text": "disconnect",
          "patching_rect": [
            360,
            110,
            100,
            22
          ]
        }
      },
      {
        "box": {
          "id": "obj",
          "maxclass": "newobj",
          "text": "nexio",
          "patching_rect": [
            20,
            160,
            60,
            22
          ],
          "numinlets": 1,
          "numoutlets": 2
        }
      },
      {
        "box": {
          "id": "data",
          "maxclass": "newobj",
          "text": "print data",
          "patching_rect": [
            20,
            210,
            100,
            22
          ],
          "numinlets": 1,
          "numoutlets": 0
        }
      },
      {
        "box": {
          "id": "status",
          "maxclass": "newobj",
          "text": "print status",
          "patching_rect": [
            200,
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
          "text": "The loadbang only configures (loopback); click bang to connect to a local echo service.",
          "patching_rect": [
            20,
            250,
            716,
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
            "config",
            0
          ]
        }
      },
      {
        "patchline": {
          "source": [
            "config",
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
            "connect",
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
            "send",
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
            "close",
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
            "data",
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
            "status",
            0
          ]
        }
      }
    ]
  }
}
