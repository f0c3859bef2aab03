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
          "text": "Arguments, config and connect take HOST SERVICE and options: @address (numeric, no lookup), @hostname, @service (port), @family inet|inet6|unspec, @type stream|dgram, @protocol tcp|udp; any prefix works (@a, @h, @s, @f, @t, @p). bang connects; numbers are sent as bytes; received bytes come out left, the status right: 0 not connected, 1 connecting, 2 connected.",
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
          "text": "connect @address 127.0.0.1 @service 9 @type dgram",
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
          "text": "connect 127.0.0.1 7",
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
          "text": "On load: a datagram socket to 127.0.0.1 port 9 (status 2, after 1 when seen; nothing is sent). Click 'connect 127.0.0.1 7' for a local TCP echo service, then '72 105 10' sends \"Hi\" and a newline.",
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
